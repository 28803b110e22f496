// stmtool convert as a user runs it: graph files through every format and back, what a
// graph file cannot hold said or refused, and files that cannot be read.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <fstream>
#include <map>
#include <sstream>

#include "tests/persistence/StreamBytes.h"

namespace {

struct TRun {
    int status;
    std::string err;
};

std::string Quoted(const std::string& arg) {
    std::string quoted = "'";
    for (char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class Convert : public ::testing::Test {
protected:
    TRun Run(const std::vector<std::string>& args, const std::string& input = "") {
        std::ofstream(work_.Path("stdin"), std::ios::binary) << input;
        std::string command = Quoted(STMTOOL_PATH);
        for (const std::string& arg : args) command += " " + Quoted(arg);
        command += " <" + Quoted(work_.Path("stdin")) + " >" + Quoted(work_.Path("stdout")) +
                   " 2>" + Quoted(work_.Path("stderr"));
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, FileText(work_.Path("stderr"))};
    }
    std::string Show(const std::string& file) {
        EXPECT_EQ(Run({"show", file}).status, 0) << file;
        return FileText(work_.Path("stdout"));
    }
    /// A file of the tests' own, in the directory of the conversions.
    std::string File(const std::string& name, const std::string& content) {
        std::ofstream(dir_.Path(name), std::ios::binary) << content;
        return dir_.Path(name);
    }
    std::string Path(const std::string& name) const { return dir_.Path(name); }

    TTempDir dir_;   // the conversions' files, and nothing else
    TTempDir work_;  // the tool's standard streams
};

// Captions with what each format escapes, Windows-1252 beyond ASCII, an empty one;
// positions off the view; weights that are not short in decimal, negative, huge, tiny.
const std::string kGraph =
    R"({"nodes": [)"
    R"({"caption": "Zürich & <Genève>", "x": 10, "y": 20}, )"
    R"({"caption": "", "x": 120, "y": -5}, )"
    R"({"caption": "say \"hi\", \\N", "x": -300, "y": 4000}, )"
    R"({"caption": "€ 5\nlines", "x": 0, "y": 0}], )"
    R"("edges": [{"from": 1, "to": 2, "weight": 0.1}, )"
    R"({"from": 2, "to": 3, "weight": -2.5}, {"from": 3, "to": 4, "weight": 1e20}, )"
    R"({"from": 4, "to": 1, "weight": 9.5367431640625e-07}, {"from": 1, "to": 1, "weight": 3}]})";

std::string WithoutPositions(std::string json) {
    for (std::size_t at = json.find(", \"x\": "); at != std::string::npos;
         at = json.find(", \"x\": ", at))
        json.erase(at, json.find('}', at) - at);
    return json;
}

/// The x and y of every node in stmtool's JSON.
std::vector<std::pair<int, int>> PositionsIn(const std::string& json) {
    std::vector<std::pair<int, int>> positions;
    for (std::size_t at = json.find("\"x\": "); at != std::string::npos;
         at = json.find("\"x\": ", at + 1))
        positions.emplace_back(std::stoi(json.substr(at + 5)),
                               std::stoi(json.substr(json.find("\"y\": ", at) + 5)));
    return positions;
}

}  // namespace

TEST_F(Convert, GraphFileThroughEveryFormatAndBackShowsTheSame) {
    const std::string graph = Path("g.stm");
    ASSERT_EQ(Run({"new", graph}, kGraph).status, 0);
    const std::string shown = Show(graph);
    for (const char* format : {"graphml", "gexf", "dot", "gv", "json"}) {
        const std::string middle = Path(std::string("g.") + format);
        const std::string back = Path(std::string("back-") + format + ".stm");
        const TRun there = Run({"convert", graph, middle});
        EXPECT_EQ(there.status, 0) << format << ": " << there.err;
        EXPECT_EQ(there.err, "") << format;
        EXPECT_EQ(Run({"convert", middle, back}).status, 0) << format;
        EXPECT_EQ(Show(back), shown) << format;
    }
    // An edge list holds neither positions (they are laid out anew) nor nodes without
    // edges; this graph has none of those, and its nodes come in order in its edges.
    const TRun csv = Run({"convert", graph, Path("g.csv")});
    EXPECT_EQ(csv.err, "warning: positions left out: 4 (first: node \"n1\")\n");
    EXPECT_EQ(Run({"convert", Path("g.csv"), Path("back-csv.stm")}).status, 0);
    EXPECT_EQ(WithoutPositions(Show(Path("back-csv.stm"))), WithoutPositions(shown));
    EXPECT_EQ(FileText(Path("g.json")), shown);  // stmtool's JSON is what show prints
}

TEST_F(Convert, WhatAGraphFileCannotHoldIsSaidOrWithStrictRefused) {
    const std::string input = File(
        "lossy.json",
        R"({"nodes": [)"
        R"({"caption": "日本", "x": 1, "y": 1}, {"caption": ")" +
            std::string(300, 'w') +
            R"(", "x": 2, "y": 2}], )"
            R"("edges": [{"from": 1, "to": 2, "weight": 3}, {"from": 1, "to": 2, "weight": 5}, )"
            R"({"from": 2, "to": 1, "weight": 0}]})");
    const std::string out = Path("out.stm");
    const TRun loose = Run({"convert", input, out});
    EXPECT_EQ(loose.status, 0);
    EXPECT_EQ(loose.err,
              "warning: characters outside Windows-1252 replaced by \"?\": 1 (first: node \"n1\")\n"
              "warning: captions cut to 255 bytes: 1 (first: node \"n2\")\n"
              "warning: parallel edges left out, the last of each kept: 1 (first: edge \"n1\" -> "
              "\"n2\")\n"
              "warning: edges of weight 0 left out: 1 (first: edge \"n2\" -> \"n1\")\n");
    EXPECT_EQ(Show(out), R"({"nodes": [{"caption": "??", "x": 1, "y": 1}, {"caption": ")" +
                             std::string(255, 'w') +
                             R"(", "x": 2, "y": 2}], "edges": [{"from": 1, "to": 2, "weight": 5}]})"
                             "\n");
    const std::string kept = FileText(out);
    const TRun strict = Run({"convert", input, out, "--strict"});
    EXPECT_EQ(strict.status, 1);
    EXPECT_EQ(strict.err,
              "characters outside Windows-1252 replaced by \"?\": 1 (first: node \"n1\"); nothing "
              "written\n");
    EXPECT_EQ(FileText(out), kept);
    EXPECT_EQ(Run({"convert", "--strict", input, Path("new.graphml")}).status, 0);
}

TEST_F(Convert, AFailedConversionLeavesTheOldFileAndNoOther) {
    const std::string out = File("out.graphml", "old");
    const std::string bad = File("bad.csv", "a,b\nc\n");
    EXPECT_EQ(Run({"convert", bad, out}).err, bad +
                                                  ": line 2: 1 field: a row holds a source, a "
                                                  "target and perhaps a weight\n");
    EXPECT_EQ(Run({"convert", File("empty.csv", ""), Path("empty.stm")}).err,
              "Invalid array capacity in TArray\n");
    EXPECT_EQ(Run({"convert", Path("missing.dot"), out}).err,
              "Cannot open file " + Path("missing.dot") + "\n");
    EXPECT_EQ(FileText(out), "old");
    EXPECT_EQ(dir_.Entries(), (std::vector<std::string>{"bad.csv", "empty.csv", "out.graphml"}));
}

TEST_F(Convert, NodesWithoutPositionsAreLaidOutInTheView) {
    const std::string edges = File("e.csv", "a,b\nb,c\nc,a\nc,d\n");
    ASSERT_EQ(Run({"convert", edges, Path("e.json")}).status, 0);
    const std::string json = FileText(Path("e.json"));
    const std::vector<std::pair<int, int>> positions = PositionsIn(json);
    for (const auto& [x, y] : positions) {
        EXPECT_GE(x, 20);
        EXPECT_LE(x, 475);
        EXPECT_GE(y, 20);
        EXPECT_LE(y, 528);
    }
    EXPECT_EQ(positions.size(), 4u);
    EXPECT_EQ(Run({"convert", edges, Path("d.stm"), "--layout", "dot"}).status, 0);
    const TRun partly =
        Run({"convert", File("p.dot", "digraph { a [pos=\"1,2\"]; a -> b }"), Path("p.json")});
    EXPECT_EQ(partly.err,
              "warning: positions replaced by a layout, as other nodes had none: 1 "
              "(first: node \"a\")\n");
}

TEST_F(Convert, EveryFormatsBrokenFileSaysWhereAndWhat) {
    const struct {
        const char* name;
        std::string content;
        std::string message;
    } cases[] = {
        {"a.graphml", "<graphml>\n<graph>\n<node id=\"a\">\n</graph>",
         "line 4: not well-formed XML (Start-end tags mismatch)"},
        {"a.gexf", "<gexf><graph><edges>\n<edge source=\"a\" target=\"b\"/></edges></graph></gexf>",
         "line 2: edge \"a\" -> \"b\": no node \"a\""},
        {"a.dot", "digraph {\n a -> b -> ;\n}", "syntax error in line 2 near ';'"},
        {"a.csv", "a,b,1\na,b,\"2\n", "line 2: a quoted field is not closed"},
        {"a.json", "{\"nodes\": [], \"edges\": [{\"from\": 1, \"to\": 1}]}",
         "edge 1: \"from\" is no node's place"},
        {"a.stm", "TPF0", "Stream read error"},
        {"b.graphml", "<!DOCTYPE g [<!ENTITY e SYSTEM \"/etc/passwd\">]><graphml/>",
         "line 1: the document declares the external entity \"e\": external entities are never "
         "read"},
    };
    for (const auto& c : cases) {
        const std::string file = File(c.name, c.content);
        const TRun run = Run({"convert", file, Path("out.json")});
        EXPECT_EQ(run.status, 1) << c.name;
        EXPECT_EQ(run.err, file + ": " + c.message + "\n") << c.name;
    }
    EXPECT_FALSE(std::ifstream(Path("out.json")).good());
}

TEST_F(Convert, UsageErrorsGiveTheUsage) {
    const std::string in = File("a.csv", "a,b\n");
    for (const std::vector<std::string>& args : {std::vector<std::string>{"convert", in},
                                                 {"convert", in, Path("a.txt")},
                                                 {"convert", in, Path("a.json"), "--layout", "fdp"},
                                                 {"convert", in, Path("a.json"), "--layout"},
                                                 {"convert", in, Path("a.json"), "--fast"}}) {
        const TRun run = Run(args);
        EXPECT_EQ(run.status, 2) << args.back();
        EXPECT_NE(run.err.find("usage: stmtool"), std::string::npos) << args.back();
    }
    EXPECT_NE(Run({"convert", in, Path("a.txt")})
                  .err.find("stmtool: \"" + Path("a.txt") + "\" has no extension of a format"),
              std::string::npos);
}

TEST_F(Convert, GraphvizDrawsOurDotWithItsPositions) {
    if (std::system("command -v dot >/dev/null && command -v neato >/dev/null") != 0)
        GTEST_SKIP() << "Graphviz's command line is not installed";
    const std::string graph = Path("g.stm");
    ASSERT_EQ(Run({"new", graph}, kGraph).status, 0);
    ASSERT_EQ(Run({"convert", graph, Path("g.dot")}).status, 0);
    const std::string dot = Quoted(Path("g.dot"));
    EXPECT_EQ(
        std::system(("dot -Tsvg " + dot + " -o /dev/null 2>" + Quoted(Path("dot.err"))).c_str()),
        0);
    EXPECT_EQ(FileText(Path("dot.err")), "");
    // neato -n keeps the positions, moved as a whole so that the drawing starts at 0: n3
    // stands 310 points left of n1 and 3980 above, as in the file (y up, inches).
    ASSERT_EQ(std::system(("neato -n -Tplain " + dot + " >" + Quoted(Path("plain"))).c_str()), 0);
    std::istringstream plain(FileText(Path("plain")));
    std::map<std::string, std::pair<double, double>> at;
    for (std::string line; std::getline(plain, line);) {
        std::istringstream words(line);
        std::string kind, name;
        double x = 0, y = 0;
        if (words >> kind >> name >> x >> y && kind == "node") at[name] = {x, y};
    }
    ASSERT_EQ(at.size(), 4u);
    EXPECT_NEAR((at["n3"].first - at["n1"].first) * 72, -310, 0.1);
    EXPECT_NEAR((at["n3"].second - at["n1"].second) * 72, 3980, 0.1);
}
