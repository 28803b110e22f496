// stmtool as a user runs it: a subprocess with arguments, standard input, output, error
// output and exit status, on files written by it or crafted byte by byte.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/AddressSanitizer.h"
#include "tests/persistence/StreamBytes.h"

// g++ 12 at -O3 wrongly reports an overlapping copy (-Wrestrict) inside std::string where a
// string is added to a temporary one, as these tests do to build command lines.
#if defined(__GNUC__) && !defined(__clang__) && __GNUC__ == 12
#pragma GCC diagnostic ignored "-Wrestrict"
#endif

namespace {

struct TRun {
    int status;
    std::string out;
    std::string err;
};

std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Quoted(const std::string& arg) {
    std::string quoted = "'";
    for (char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

class StmTool : public ::testing::Test {
protected:
    /// shellFirst runs in the same shell before the tool, such as a limit for it.
    TRun Run(const std::vector<std::string>& args, const std::string& input = "",
             const std::string& shellFirst = "") {
        std::ofstream(dir_.Path("stdin"), std::ios::binary) << input;
        std::string command = shellFirst + Quoted(STMTOOL_PATH);
        for (const std::string& arg : args) command += " " + Quoted(arg);
        command += " <" + Quoted(dir_.Path("stdin")) + " >" + Quoted(dir_.Path("stdout")) + " 2>" +
                   Quoted(dir_.Path("stderr"));
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, FileText(dir_.Path("stdout")),
                FileText(dir_.Path("stderr"))};
    }

    /// Run, with a file-size limit for the tool alone and SIGXFSZ at its default action
    /// whatever this process does with it. A tool killed by a signal has status 128 + it.
    TRun RunUnderFileSizeLimit(const std::vector<std::string>& args, const std::string& input,
                               rlim_t bytes) {
        std::ofstream(dir_.Path("stdin"), std::ios::binary) << input;
        const pid_t child = ::fork();
        if (child == 0) {
            ::signal(SIGXFSZ, SIG_DFL);
            const rlimit limit{bytes, bytes};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            ::dup2(::open(dir_.Path("stdin").c_str(), O_RDONLY), 0);
            ::dup2(::open(dir_.Path("stdout").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 1);
            ::dup2(::open(dir_.Path("stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
            std::vector<std::string> words{STMTOOL_PATH};
            words.insert(words.end(), args.begin(), args.end());
            std::vector<char*> argv;
            for (std::string& word : words) argv.push_back(word.data());
            argv.push_back(nullptr);
            ::execv(STMTOOL_PATH, argv.data());
            ::_exit(127);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status),
                FileText(dir_.Path("stdout")), FileText(dir_.Path("stderr"))};
    }

    /// Path of a file holding bytes.
    std::string File(const TBytes& bytes, const std::string& name = "g.stm") {
        WriteFileBytes(dir_.Path(name), bytes);
        return dir_.Path(name);
    }

    TTempDir dir_;
};
using StmToolNew = StmTool;
using StmToolShow = StmTool;
using StmToolPath = StmTool;
using StmToolDot = StmTool;
using StmToolUsage = StmTool;
using StmToolErrors = StmTool;

// ----------------------------------------------------------------------------
// Crafted graph files

const TBytes kNodeListHeader = Text("TGraphNode") + Text("CompareNodes");
const TBytes kOuterHeader = Text("TArray") + Text("CompareArray");
const TBytes kRowHeader = Text("TInteger") + Text("CompareInteger");

std::uint8_t Byte(std::size_t n) { return static_cast<std::uint8_t>(n); }

TBytes Caption(const std::string& text) {
    return FrameHeader("TStringObj") + Bytes({Byte(text.size())}) + BytesOf(text);
}
TBytes Node(const std::string& caption) { return FrameHeader("TGraphNode") + Caption(caption); }
TBytes Point(const std::string& caption, std::uint8_t x, std::uint8_t y) {
    return FrameHeader("TGraphPoint") + Caption(caption) + Bytes({2, x, 2, y});
}

/// Count, capacity, growth 0 and Sorted, then the items.
TBytes Array(const TBytes& header, const std::vector<TBytes>& items) {
    TBytes bytes = FrameHeader("TArray") + header +
                   Bytes({2, Byte(items.size()), 2, Byte(items.size()), 2, 0, 9});
    for (const TBytes& item : items) bytes = bytes + item;
    return bytes;
}
TBytes List(const TBytes& header, const std::vector<TBytes>& items) {
    TBytes bytes = FrameHeader("TNodeList") + header + Bytes({2, Byte(items.size())});
    for (const TBytes& item : items) bytes = bytes + item;
    return bytes;
}
TBytes Cell(std::int8_t value) {  // stored as an integer, which reads as a float too
    return FrameHeader("TInteger") + Bytes({2, static_cast<std::uint8_t>(value)});
}
TBytes Matrix(const std::vector<std::vector<std::int8_t>>& cells) {
    std::vector<TBytes> rows;
    for (const auto& values : cells) {
        std::vector<TBytes> row;
        for (std::int8_t v : values) row.push_back(Cell(v));
        rows.push_back(Array(kRowHeader, row));
    }
    return Array(kOuterHeader, rows);
}
TBytes Graph(const TBytes& nodes, const TBytes& matrix) {
    return FrameHeader("TMathGraph") + nodes + matrix;
}
TBytes TwoPoints() { return List(kNodeListHeader, {Point("A", 1, 2), Point("B", 3, 4)}); }

const char* const kTwoNodesJson =
    R"({"nodes": [{"caption": "A", "x": 10, "y": 20}, {"caption": "B", "x": 120, "y": -5}], )"
    R"("edges": [{"from": 1, "to": 2, "weight": 2.5}]})";

// ----------------------------------------------------------------------------

TEST_F(StmToolNew, WritesTheFileTheEditorWouldByteForByte) {
    const TBytes zero = Bytes({5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    const TBytes twoAndAHalf = Bytes({5, 0, 0, 0, 0, 0, 0, 0, 0xA0, 0x00, 0x40});
    const TBytes sizes = Bytes({2, 2, 2, 2, 2, 0, 9});
    const TBytes expected =
        FrameHeader("TMathGraph") + FrameHeader("TNodeList") + kNodeListHeader + Bytes({2, 2}) +
        (FrameHeader("TGraphPoint") + Caption("A") + Bytes({2, 0x0A, 2, 0x14})) +
        (FrameHeader("TGraphPoint") + Caption("B") + Bytes({2, 0x78, 2, 0xFB})) +
        (FrameHeader("TArray") + kOuterHeader + sizes) +
        (FrameHeader("TArray") + kRowHeader + sizes + FrameHeader("TInteger") + zero +
         FrameHeader("TInteger") + twoAndAHalf) +
        (FrameHeader("TArray") + kRowHeader + sizes + FrameHeader("TInteger") + zero +
         FrameHeader("TInteger") + zero);
    const TRun run = Run({"new", dir_.Path("g.stm")}, kTwoNodesJson);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out + run.err, "");
    EXPECT_EQ(FileBytes(dir_.Path("g.stm")), expected);
    EXPECT_EQ(Run({"show", dir_.Path("g.stm")}).out, std::string(kTwoNodesJson) + "\n");
}

TEST_F(StmToolShow, CaptionsDecodedFromWindows1252WeightsInTheirShortestForm) {
    const std::string json =
        R"({"nodes": [{"caption": "\u00e9\u20ac\u0000", "x": 0, "y": 0}, )"
        R"({"caption": "\u4e00", "x": -2147483648, "y": 2147483647}], )"
        R"("edges": [{"from": 2, "to": 1, "weight": 0.1}, {"from": 1, "to": 2, "weight": 3}]})";
    ASSERT_EQ(Run({"new", dir_.Path("g.stm")}, json).status, 0);
    const TBytes bytes = FileBytes(dir_.Path("g.stm"));
    for (const TBytes& caption : {Caption(std::string("\xE9\x80\x00", 3)), Caption("?")})
        EXPECT_NE(std::search(bytes.begin(), bytes.end(), caption.begin(), caption.end()),
                  bytes.end());
    // The edges come back in row order; 0.1 is held as the nearest Real48.
    EXPECT_EQ(Run({"show", dir_.Path("g.stm")}).out,
              "{\"nodes\": [{\"caption\": \"\xC3\xA9\xE2\x82\xAC\\u0000\", \"x\": 0, \"y\": 0}, "
              "{\"caption\": \"?\", \"x\": -2147483648, \"y\": 2147483647}], "
              "\"edges\": [{\"from\": 1, \"to\": 2, \"weight\": 3}, "
              "{\"from\": 2, \"to\": 1, \"weight\": 0.10000000000002274}]}\n");
}

TEST_F(StmToolShow, ReadsAGraphFromAFifo) {
    const std::string file = File(Graph(TwoPoints(), Matrix({{0, 3}, {0, 0}})));
    const std::string fifo = dir_.Path("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const TRun run = Run({"show", fifo}, "", "cat " + Quoted(file) + " >" + Quoted(fifo) + " & ");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, R"({"nodes": [{"caption": "A", "x": 1, "y": 2}, )"
                       R"({"caption": "B", "x": 3, "y": 4}], )"
                       R"("edges": [{"from": 1, "to": 2, "weight": 3}]})"
                       "\n");
}

TEST_F(StmToolShow, PlainNodesHaveNoPosition) {
    const std::string file =
        File(Graph(List(kNodeListHeader, {Node("A"), Node("B")}), Matrix({{0, 0}, {-7, 0}})));
    const TRun run = Run({"show", file});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, R"({"nodes": [{"caption": "A"}, {"caption": "B"}], )"
                       R"("edges": [{"from": 2, "to": 1, "weight": -7}]})"
                       "\n");
}

TEST_F(StmToolPath, DistanceAndEdgesFromTheTargetBack) {
    const std::string file =
        File(Graph(List(kNodeListHeader, {Point("A", 0, 0), Point("B", 0, 0), Point("C", 0, 0)}),
                   Matrix({{0, 1, 3}, {0, 0, 1}, {0, 0, 0}})));
    EXPECT_EQ(Run({"path", file, "1", "3"}).out,
              "{\"distance\": 2, \"edges\": [[2, 3], [1, 2]]}\n");
    EXPECT_EQ(Run({"path", file, "3", "1"}).out, "{\"distance\": 1e+05, \"edges\": []}\n");
    EXPECT_EQ(Run({"path", file, "2", "2"}).out, "{\"distance\": 0, \"edges\": []}\n");
    for (const char* outside : {"0", "4", "-1", "99999999999"}) {
        const TRun run = Run({"path", file, "1", outside});
        EXPECT_EQ(run.status, 1) << outside;
        EXPECT_EQ(run.err, "Invalid index in TContainer\n") << outside;
        EXPECT_EQ(run.out, "");
    }
}

TEST_F(StmToolDot, CaptionsEscapedWeightsAsTheEditorShowsThem) {
    const std::string file =
        File(Graph(List(kNodeListHeader, {Point("a\"b\\c", 0, 0), Point("x&y\x01\xE9", 0, 0)}),
                   Matrix({{0, 0}, {-3, 0}})));
    const TRun run = Run({"dot", file});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out,
              "digraph graph_file {\n"
              "    n1 [label=\"a\\\"b\\\\c\"];\n"
              "    n2 [label=\"x&#38;y&#1;\xC3\xA9\"];\n"
              "    n2 -> n1 [label=\"-3\"];\n"
              "}\n");
}

TEST_F(StmToolUsage, WrongCommandsAndInputGiveTheUsageAndStatus2) {
    const std::string file = File(Graph(TwoPoints(), Matrix({{0, 1}, {0, 0}})));
    const std::string target = dir_.Path("new.stm");
    const struct {
        std::vector<std::string> args;
        std::string input;
    } cases[] = {
        {{}, ""},
        {{"frobnicate", file}, ""},
        {{"show"}, ""},
        {{"path", file, "1"}, ""},
        {{"path", file, "1", "two"}, ""},
        {{"path", file, "1.0", "2"}, ""},
        {{"new", target}, "not json"},
        {{"new", target}, R"({"nodes": []})"},
        {{"new", target}, R"({"nodes": [{"caption": "A", "x": 1}], "edges": []})"},
        {{"new", target}, R"({"nodes": [{"caption": "A", "x": 1.5, "y": 2}], "edges": []})"},
        {{"new", target}, R"({"nodes": [{"caption": "A", "x": 1, "y": 2}], "edges": [[1, 1]]})"},
        {{"new", target},
         R"({"nodes": [{"caption": "A", "x": 1, "y": 2}], "edges": [{"from": "1", "to": 1, "weight": 1}]})"},
        {{"new", target},
         R"({"nodes": [{"caption": "A", "x": 1, "y": 2}], "edges": [{"from": 1, "to": 1, "weight": "1"}]})"},
        {{"new", target},  // a whole graph, then a NUL byte and more
         R"({"nodes": [{"caption": "A", "x": 1, "y": 2}], "edges": []})" + std::string(1, '\0') +
             " and then garbage"},
    };
    for (const auto& c : cases) {
        const TRun run = Run(c.args, c.input);
        const std::string what = c.args.empty() ? "(none)" : c.args[0] + " " + c.input;
        EXPECT_EQ(run.status, 2) << what;
        EXPECT_EQ(run.err.rfind("stmtool: ", 0), 0u) << what;
        EXPECT_NE(run.err.find("usage: stmtool show FILE"), std::string::npos) << what;
        EXPECT_EQ(run.out, "") << what;
    }
    EXPECT_FALSE(std::ifstream(target).good());  // never written
    const TRun help = Run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("stmtool dot FILE"), std::string::npos);
}

TEST_F(StmToolErrors, EveryFailureOfTheRecordsReachesStderrAlone) {
    const TBytes twoByTwo = Matrix({{0, 1}, {0, 0}});
    const TBytes overflow =
        FrameHeader("TInteger") + Bytes({5, 0, 0, 0, 0, 0, 0, 0, 0x80, 0x7E, 0x40});  // 2^127
    const TBytes complete = Graph(TwoPoints(), twoByTwo);
    const struct {
        const char* what;
        TBytes file;
        std::string message;
    } cases[] = {
        {"empty file", {}, "Stream read error"},
        {"no signature", BytesOf("TPF1") + complete, "Invalid stream format"},
        {"cut short", TBytes(complete.begin(), complete.end() - 3), "Stream read error"},
        {"not a graph", Caption("A"), "Invalid class typecast"},
        {"unknown class", FrameHeader("TNothing"), "Class not registered"},
        {"version 2", BytesOf("TPF0") + Text("TMathGraph") + Bytes({2, 0}),
         "Class version not registered"},
        {"nodes not a node list", Graph(twoByTwo, twoByTwo), "Invalid class typecast"},
        {"matrix not an array", Graph(TwoPoints(), TwoPoints()), "Invalid class typecast"},
        {"rows not arrays", Graph(TwoPoints(), Array(kRowHeader, {Cell(1)})),
         "Invalid class typecast"},
        {"cells not integers",
         Graph(TwoPoints(), Array(kOuterHeader, {Array(Text("TStringObj") + Text("CompareNodes"),
                                                       {Caption("x")})})),
         "Invalid class typecast"},
        {"more rows than nodes", Graph(TwoPoints(), Matrix({{0, 0}, {0, 0}, {1, 0}})),
         "Invalid index in TContainer"},
        {"more columns than nodes", Graph(TwoPoints(), Matrix({{0, 0, 1}, {0, 0}})),
         "Invalid index in TContainer"},
        {"cell out of range",
         Graph(TwoPoints(), Array(kOuterHeader, {Array(kRowHeader, {overflow})})),
         "Floating point overflow"},
        {"unknown compare function",
         Graph(List(Text("TGraphNode") + Text("CompareNothing"), {}), twoByTwo),
         "Compare function not registered"},
        {"caption of a node not a string",
         Graph(List(kNodeListHeader, {FrameHeader("TGraphNode") + Cell(1)}), twoByTwo),
         "Invalid class typecast"},
        {"caption of a point not a string",
         Graph(List(kNodeListHeader, {FrameHeader("TGraphPoint") + Cell(1) + Bytes({2, 0, 2, 0})}),
               twoByTwo),
         "Invalid class typecast"},
        {"node list of strings",
         Graph(List(Text("TStringObj") + Text("CompareNodes"), {}), twoByTwo),
         "Invalid class typecast"},
        {"node list not by identity",
         Graph(List(Text("TGraphNode") + Text("CompareEqual"), {Point("A", 0, 0)}), Matrix({{0}})),
         "Invalid class typecast"},
    };
    for (const auto& c : cases) {
        for (const char* command : {"show", "dot"}) {
            const TRun run = Run({command, File(c.file)});
            EXPECT_EQ(run.status, 1) << c.what;
            EXPECT_EQ(run.err, c.message + "\n") << c.what;
            EXPECT_EQ(run.out, "") << c.what;
        }
    }
    const TRun missing = Run({"path", dir_.Path("missing.stm"), "1", "1"});
    EXPECT_EQ(missing.err, "Cannot open file " + dir_.Path("missing.stm") + "\n");
}

// Disabled: TArray::Add keeps an item whose comparison raised, and the reader of the row
// then destroys that item a second time.
TEST_F(StmToolErrors, CompareIntegerOnAnotherClassReachesStderr) {
    const TBytes strings =
        Array(Text("TStringObj") + Text("CompareInteger"), {Caption("x"), Caption("y")});
    const TRun run = Run({"show", File(Graph(TwoPoints(), Array(kOuterHeader, {strings})))});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Invalid class typecast\n");
}

TEST_F(StmToolErrors, EndlessDeviceFailsAtItsSignature) {
    // Bounded where the build allows, so that reading the device whole fails fast
    // instead of taking the machine's memory; AddressSanitizer needs the address space.
    const std::string limit = kAddressSanitizer ? "" : "ulimit -v 1048576; ";
    const TRun run = Run({"show", "/dev/zero"}, "", limit);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Invalid stream format\n");
}

TEST_F(StmToolErrors, AGraphBeyondTheAddressSpaceIsRefusedBeforeItIsBuilt) {
    if (kAddressSanitizer) GTEST_SKIP() << "AddressSanitizer needs the address space";
    const std::string file = File(Bytes({1, 2, 3}), "old.stm");
    std::string nodes = R"({"nodes": [)";
    for (int i = 0; i < 10000; ++i)
        nodes += (i > 0 ? ", " : "") + std::string(R"({"caption": "", "x": 1, "y": 2})");
    // 10,000 nodes make 2.7 GB of file, which 1 GiB of address space cannot hold.
    const TRun run = Run({"new", file}, nodes + R"(], "edges": []})", "ulimit -v 1048576; ");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "The graph's file would take 3 GB: too large to save\n");
    EXPECT_EQ(FileBytes(file), Bytes({1, 2, 3}));
}

TEST_F(StmToolErrors, FailedSavesReportAndLeaveTheFile) {
    const std::string file = File(Bytes({1, 2, 3}), "old.stm");
    const std::string oneNode = R"({"nodes": [{"caption": "A", "x": 1, "y": 2}], )";
    const struct {
        std::string input;
        std::string message;
    } cases[] = {
        {R"({"nodes": [], "edges": []})", "Invalid array capacity in TArray"},
        {oneNode + R"("edges": [{"from": 1, "to": 1, "weight": 1e39}]})",
         "Floating point overflow"},
        {oneNode + R"("edges": [{"from": 1, "to": 1, "weight": -1e400}]})",
         "Floating point overflow"},
        {oneNode + R"("edges": [{"from": 1, "to": 2, "weight": 1}]})",
         "Invalid index in TContainer"},
    };
    for (const auto& c : cases) {
        const TRun run = Run({"new", file}, c.input);
        EXPECT_EQ(run.status, 1) << c.input;
        EXPECT_EQ(run.err, c.message + "\n") << c.input;
        EXPECT_EQ(FileBytes(file), Bytes({1, 2, 3})) << c.input;
    }
    // Past the file-size limit: an error, not the signal that would end the tool.
    TTempDir saved;
    WriteFileBytes(saved.Path("g.stm"), Bytes({1, 2, 3}));
    std::string many = R"({"nodes": [)";
    for (int i = 0; i < 200; ++i)
        many += (i > 0 ? ", " : "") + std::string(R"({"caption": ")") + std::string(200, 'c') +
                R"(", "x": 1, "y": 2})";
    const TRun limited =
        RunUnderFileSizeLimit({"new", saved.Path("g.stm")}, many + R"(], "edges": []})", 4096);
    EXPECT_EQ(limited.status, 1);
    EXPECT_EQ(limited.err, "Stream write error\n");
    EXPECT_EQ(FileBytes(saved.Path("g.stm")), Bytes({1, 2, 3}));
    EXPECT_EQ(saved.Entries(), std::vector<std::string>{"g.stm"});
    const std::string nowhere = dir_.Path("no/such/dir.stm");
    EXPECT_EQ(Run({"new", nowhere}, oneNode + R"("edges": []})").err,
              "Cannot create file " + nowhere + "\n");
}

}  // namespace
