// A program of the whole engine and the framework's base and nothing else, linked only so that a
// test can read from its import table what the engine calls: no window, message or dialog.
int main()
{
    return 0;
}
