// stmtool render as a user runs it: the picture read back by an XML parser, element by
// element against the graph drawn.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <fstream>
#include <pugixml.hpp>
#include <sstream>

#include "tests/persistence/StreamBytes.h"

namespace {

// Four nodes without positions, five edges: c -> d and d -> c opposite each other.
constexpr const char* kGraphMl = R"(<?xml version="1.0" encoding="UTF-8"?>
<graphml xmlns="http://graphml.graphdrawing.org/xmlns">
  <key id="w" for="edge" attr.name="weight" attr.type="double"/>
  <graph edgedefault="directed">
    <node id="a"/><node id="b"/><node id="c"/><node id="d"/>
    <edge source="a" target="b"/><edge source="b" target="c"/><edge source="a" target="c"/>
    <edge source="c" target="d"><data key="w">2</data></edge><edge source="d" target="c"/>
  </graph>
</graphml>
)";

std::string Quoted(const std::string& arg) {
    std::string quoted = "'";
    for (char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

class Render : public ::testing::Test {
protected:
    void SetUp() override { std::ofstream(dir_.Path("g.graphml")) << kGraphMl; }
    int Run(const std::vector<std::string>& args) {
        std::string command = Quoted(STMTOOL_PATH) + " render";
        for (const std::string& arg : args) command += " " + Quoted(arg);
        command += " >/dev/null 2>" + Quoted(dir_.Path("stderr"));
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string Err() {
        std::ifstream in(dir_.Path("stderr"));
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    std::size_t Count(const char* element) {
        return svg_.select_nodes((std::string("//") + element).c_str()).size();
    }
    void Parse(const std::string& file) {
        const pugi::xml_parse_result parsed = svg_.load_file(file.c_str());
        ASSERT_TRUE(parsed) << parsed.description();
        ASSERT_STREQ(svg_.document_element().name(), "svg");
    }

    TTempDir dir_;
    pugi::xml_document svg_;
};

TEST_F(Render, EveryNodeACircleWithinThePictureAndEveryEdgeALineWithItsArrowhead) {
    ASSERT_EQ(Run({dir_.Path("g.graphml"), dir_.Path("g.svg")}), 0) << Err();
    Parse(dir_.Path("g.svg"));
    EXPECT_EQ(Count("circle"), 4u);
    EXPECT_EQ(Count("line"), 5u * 3);  // the line and the arrowhead's two strokes
    EXPECT_EQ(Count("path") + Count("text"), 0u);
    const double width = svg_.document_element().attribute("width").as_double();
    const double height = svg_.document_element().attribute("height").as_double();
    for (const pugi::xpath_node& circle : svg_.select_nodes("//circle")) {
        const double x = circle.node().attribute("cx").as_double();
        const double y = circle.node().attribute("cy").as_double();
        EXPECT_TRUE(x > 0 && x < width && y > 0 && y < height) << x << ", " << y;
    }
}

TEST_F(Render, OptionsDrawWhatTheViewMenuWouldAndBadCallsWriteNothing) {
    ASSERT_EQ(
        Run({"--separate", "--weights", "--captions", dir_.Path("g.graphml"), dir_.Path("o.svg")}),
        0)
        << Err();
    Parse(dir_.Path("o.svg"));
    EXPECT_EQ(Count("path"), 2u);              // the opposite pair, bent apart
    EXPECT_EQ(Count("line"), 3u * 3 + 2 * 2);  // and their arrowheads
    EXPECT_EQ(Count("text"), 4u + 5);          // the captions are the ids
    EXPECT_EQ(Run({dir_.Path("g.graphml"), dir_.Path("g.png")}), 2);
    EXPECT_EQ(Run({dir_.Path("g.graphml"), dir_.Path("g.svg"), "--bold"}), 2);
    EXPECT_EQ(Run({dir_.Path("missing.graphml"), dir_.Path("m.svg")}), 1);
    EXPECT_EQ(Err(), "Cannot open file " + dir_.Path("missing.graphml") + "\n");
    EXPECT_EQ(dir_.Entries(), (std::vector<std::string>{"g.graphml", "o.svg", "stderr"}));
}

}  // namespace
