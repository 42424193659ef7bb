// The entry point of every test executable that brings no main of its own.
#include <doctest/doctest.h>

int main(int argc, char** argv)
{
    return doctest::Context(argc, argv).run();
}
