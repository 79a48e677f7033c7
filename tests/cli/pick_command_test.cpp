// `velmo pick` as a person runs it on the memory display: the pointer is put with --at, the desktop
// colour (3A 6E A5) lies under it, and every tick prints one line. Bad input is one "velmo: ..."
// line on standard error, nothing on standard output and exit code 1.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Outcome {
    int exit_code = -1;
    std::vector<std::string> out;  // standard output, a line each
    std::vector<std::string> err;
};

std::vector<std::string> lines_of(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

Outcome pick(const std::string& arguments)
{
    fs::path err_file = fs::temp_directory_path() / ("velmo-pick-stderr-" + std::to_string(::getpid()) + ".txt");
    std::string command = std::string(VELMO_EXE) + " pick " + arguments + " 2>" + err_file.string();
    Outcome run;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return run;
    std::string out;
    std::array<char, 4096> buffer;
    size_t n;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        out.append(buffer.data(), n);
    int status = pclose(pipe);
    run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = lines_of(out);
    std::ifstream err(err_file);
    run.err = lines_of(std::string(std::istreambuf_iterator<char>(err), {}));
    fs::remove(err_file);
    return run;
}

TEST(PickCommand, OnceReadsTheDesktopUnderThePointer)
{
    Outcome run = pick("--at 10,10 --once");
    EXPECT_EQ(run.exit_code, 0);
    ASSERT_EQ(run.out.size(), 1u);
    EXPECT_EQ(run.out[0], "10,10  R 3A G 6E B A5  #3A6EA5  10841658");
    EXPECT_TRUE(run.err.empty());
}

TEST(PickCommand, CountGivesOneLinePerTick)
{
    Outcome run = pick("--at 3,4 --interval 10 --count 3");
    EXPECT_EQ(run.exit_code, 0);
    ASSERT_EQ(run.out.size(), 3u);
    for (const std::string& line : run.out)
        EXPECT_EQ(line, "3,4  R 3A G 6E B A5  #3A6EA5  10841658");
}

TEST(PickCommand, JsonLineCarriesEveryField)
{
    Outcome run = pick("--at 5,6 --once --json");
    EXPECT_EQ(run.exit_code, 0);
    ASSERT_EQ(run.out.size(), 1u);
    EXPECT_EQ(run.out[0], R"({"x":5,"y":6,"R":"3A","G":"6E","B":"A5","hex":"#3A6EA5","value":10841658})");
}

TEST(PickCommand, BadInputIsOneLineAndExitOne)
{
    for (const char* arguments : { "--at 10", "--at a,b", "--at 10,10,10", "--interval 0 --once", "--interval -5 --once",
             "--count 0", "--count -1", "--count 2 --once" }) {
        SCOPED_TRACE(arguments);
        Outcome run = pick(arguments);
        EXPECT_EQ(run.exit_code, 1);
        EXPECT_TRUE(run.out.empty());
        ASSERT_EQ(run.err.size(), 1u);
        EXPECT_EQ(run.err[0].rfind("velmo: ", 0), 0u) << run.err[0];
    }
}

}  // namespace
