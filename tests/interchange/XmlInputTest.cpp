// Hostile XML: entities are never expanded or fetched, a document that declares one is
// refused, and deep nesting costs neither the call stack nor more memory than its size.
#include <gtest/gtest.h>

#include <chrono>

#include "fuzz/MemoryPeak.h"
#include "interchange/Document.h"
#include "interchange/XmlInput.h"
#include "tests/MessageOf.h"

namespace {

std::string ErrorOf(const std::string& text) {
    return MessageOf<EFormatError>([&] { TXmlInput input(text); });
}

}  // namespace

TEST(XmlInput, ADocumentThatDeclaresAnEntityIsRefused) {
    EXPECT_EQ(ErrorOf("<?xml version=\"1.0\"?>\n<!DOCTYPE g [\n  <!ENTITY xxe SYSTEM "
                      "\"file:///etc/passwd\">\n]>\n<graphml>&xxe;</graphml>"),
              "line 3: the document declares the external entity \"xxe\": external entities "
              "are never read");
    EXPECT_EQ(ErrorOf("<!DOCTYPE g [<!ENTITY % p PUBLIC \"-//x//y\" \"http://example.invalid/p\"> "
                      "%p;]><g/>"),
              "line 1: the document declares the external entity \"p\": external entities are "
              "never read");
    // A billion laughs: each entity ten of the one before.
    std::string bomb = "<?xml version=\"1.0\"?>\n<!DOCTYPE lolz [\n <!ENTITY lol0 \"lol\">\n";
    for (int i = 1; i < 10; ++i) {
        bomb += " <!ENTITY lol" + std::to_string(i) + " \"";
        for (int k = 0; k < 10; ++k) bomb += "&lol" + std::to_string(i - 1) + ";";
        bomb += "\">\n";
    }
    bomb += "]>\n<graphml>&lol9;</graphml>";
    const auto start = std::chrono::steady_clock::now();
    std::string message;
    const std::size_t peak = MemoryPeakDuring([&] { message = ErrorOf(bomb); });
    EXPECT_EQ(message, "line 3: the document declares the entity \"lol0\": entities are not read");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_LT(peak, 100 * bomb.size());
}

TEST(XmlInput, AnExternalDocumentTypeIsNeverRead) {
    const TXmlInput input("<!DOCTYPE graphml SYSTEM \"/nonexistent/graphml.dtd\"><graphml/>");
    EXPECT_STREQ(input.Root().name(), "graphml");
}

TEST(XmlInput, NestingAHundredThousandDeepIsParsedAndWalkedInBoundedMemory) {
    const int depth = 100000;
    std::string text;
    for (int i = 0; i < depth; ++i) text += "<a>";
    for (int i = 0; i < depth; ++i) text += "</a>";
    const auto start = std::chrono::steady_clock::now();
    int elements = 0;
    const std::size_t peak = MemoryPeakDuring([&] {
        const TXmlInput input(text);
        WalkElements(
            input.Root(), [&](pugi::xml_node) { return ++elements, true; }, [](pugi::xml_node) {});
    });
    EXPECT_EQ(elements, depth);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_LT(peak, 40 * text.size());
}

TEST(XmlInput, NotWellFormedSaysTheLine) {
    EXPECT_EQ(ErrorOf("<a>\n<b>\n</a>"), "line 3: not well-formed XML (Start-end tags mismatch)");
    EXPECT_EQ(ErrorOf(""), "line 1: not well-formed XML (No document element found)");
    EXPECT_EQ(ErrorOf("<a/>\n<b/>"), "line 2: not well-formed XML (a second root element)");
}
