// The pool that keeps each distinct text of a fleet once: ids that stay, texts that do not move,
// and the word-wise comparison against a byte-wise one.
#include <doctest/doctest.h>

#include <string>
#include <vector>

#include "compare/TextPool.h"

TEST_CASE("a text gets one id, kept with its bytes while the pool grows")
{
    TextPool pool;
    std::vector<std::string> texts = {"", std::string(100000, 'L'), std::string("a\0b", 3), std::string("a\0c", 3)};
    for (int i = 0; i < 20000; ++i)
        texts.push_back("C:\\Programme\\Suite\\module_" + std::to_string(i) + ".dll");
    std::vector<std::string_view> first;
    for (size_t i = 0; i < texts.size(); ++i) {
        bool added = false;
        CHECK(pool.Intern(texts[i], added) == i);
        CHECK(added);
        first.push_back(pool.Text(static_cast<std::uint32_t>(i)));
    }
    REQUIRE(pool.Size() == texts.size());
    for (size_t i = 0; i < texts.size(); ++i) {
        bool added = true;
        // A copy of its own: the pool compares bytes, not places.
        CHECK(pool.Intern(std::string(texts[i]), added) == i);
        CHECK_FALSE(added);
        CHECK(pool.Text(static_cast<std::uint32_t>(i)).data() == first[i].data());
        CHECK(pool.Text(static_cast<std::uint32_t>(i)) == texts[i]);
    }
}

TEST_CASE("texts are the same exactly where their bytes are")
{
    const std::string base = "0123456789abcdefg";
    for (size_t length = 0; length < base.size(); ++length) {
        CHECK(SameText(base.substr(0, length), std::string(base.substr(0, length))));
        CHECK_FALSE(SameText(base.substr(0, length), base.substr(0, length + 1)));
        for (size_t at = 0; at < length; ++at) {
            std::string other = base.substr(0, length);
            other[at] ^= 0x20;
            CHECK_MESSAGE(!SameText(base.substr(0, length), other), "length " << length << ", byte " << at);
        }
    }
}
