// tessaglyph-convert as a script sees it: exit status, messages, outputs.
#include "EngineTestSupport.h"
#include "ScratchFolder.h"
#include "TestPictures.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <set>

#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

using namespace enginetest;

const std::string kSuite = std::string(TESSAGLYPH_TESTDATA_DIR) + "/pngsuite/";

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

class CliTest : public testing::Test {
protected:
    // Runs the converter in the scratch folder; arguments are plain words.
    CliRun Cli(const std::string& args, const std::string& env = "")
    {
        const std::string command = "cd '" + dir.Path() + "' && " + env + " '" + BinaryPath("tessaglyph-convert")
                                    + "' " + args + " >'" + (dir / ".out") + "' 2>'" + (dir / ".err") + "'";
        const int raw = std::system(command.c_str());
        CliRun run;
        run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        run.out = ReadFile(dir / ".out");
        run.err = ReadFile(dir / ".err");
        return run;
    }

    void Picture(const std::string& name, const char* source = "basn2c08.png")
    {
        fs::create_directories(fs::path(dir / name).parent_path());
        fs::copy_file(kSuite + source, dir / name);
    }

    ScratchFolder dir;
};

TEST_F(CliTest, WritesEveryFormatAndSaysOk)
{
    Picture("in/a.b.png");
    Picture("in/readme", "basn6a08.png");
    fs::create_directory(dir / "out");
    const CliRun run = Cli("-f gif,PNG --jobs 2 -o out/ in/a.b.png in/readme");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "Convert picture OK.\n");
    EXPECT_EQ(run.err, "") << "no progress line unless on a terminal";
    for (const char* name : {"out/a.b.gif", "out/a.b.png", "out/readme.gif", "out/readme.png"})
        EXPECT_GT(fs::file_size(dir / name), 0u) << name;
}

TEST_F(CliTest, NamesEachFailedFileOnStandardErrorAndExitsOne)
{
    Picture("in/good.png");
    WriteFile(dir / "in/cut.png", "\x89PNG\r\n\x1a\n");
    WriteFile(dir / "in/notes.png", "text\n");
    fs::create_directory(dir / "out");
    const CliRun run = Cli("-f bmp -o out in/good.png in/notes.png in/missing.png in/cut.png");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    const std::vector<std::string> lines = [&] {
        std::vector<std::string> v;
        std::size_t start = 0;
        for (std::size_t nl; (nl = run.err.find('\n', start)) != std::string::npos; start = nl + 1)
            v.push_back(run.err.substr(start, nl - start));
        return v;
    }();
    ASSERT_EQ(lines.size(), 5u) << run.err;
    EXPECT_EQ(lines[0].rfind("in/cut.png: ", 0), 0u);
    EXPECT_EQ(lines[1].rfind("in/missing.png: ", 0), 0u);
    EXPECT_EQ(lines[2].rfind("in/notes.png: ", 0), 0u);
    EXPECT_EQ(lines[3], "Convert picture failed.");
    EXPECT_EQ(lines[4], "1 of 4 pictures were written.");
    EXPECT_TRUE(fs::exists(dir / "out/good.bmp"));
}

// The decoder's complaint travels from the worker to the summary; what it
// could read is written in every format, GIF too.
TEST_F(CliTest, WritesADamagedPictureAndReportsItDamaged)
{
    Magick::Image noisy = ColourPicture(64, 64);
    noisy.addNoise(MagickCore::GaussianNoise);
    fs::create_directories(dir / "in");
    fs::create_directory(dir / "out");
    SavePicture(noisy, "JPEG", dir / "in/whole.jpg");
    std::vector<std::uint8_t> bytes = ReadAll(dir / "in/whole.jpg");
    bytes.resize(bytes.size() * 3 / 4);
    WriteFile(dir / "in/cut.jpg", bytes);
    const CliRun run = Cli("-f gif,bmp,png --jobs 2 -o out in/cut.jpg");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "in/cut.jpg: the picture is damaged (premature end of JPEG file); what could be read was "
                       "written\nConvert picture failed.\n1 of 1 picture was written.\n");
    for (const char* name : {"out/cut.gif", "out/cut.bmp", "out/cut.png"})
        EXPECT_TRUE(fs::exists(dir / name)) << name;
}

// A flat picture this wide compresses below what ImageMagick's TIFF reader
// accepts; the TIF written must still read back.
TEST_F(CliTest, WritesTiffsOfWidePicturesThatReadBack)
{
    std::string ppm = "P6\n65535 2\n255\n";
    ppm.append(65535u * 2u * 3u, '\x40');
    fs::create_directories(dir / "in");
    fs::create_directory(dir / "out");
    fs::create_directory(dir / "again");
    WriteFile(dir / "in/wide.ppm", ppm);
    const CliRun first = Cli("-f tif -o out in/wide.ppm");
    ASSERT_EQ(first.status, 0) << first.err;
    const CliRun back = Cli("-f raw -o again out/wide.tif");
    ASSERT_EQ(back.status, 0) << back.err;
    EXPECT_EQ(ReadFile(dir / "again/wide.raw"), ppm.substr(ppm.size() - 65535u * 2u * 3u));
}

TEST_F(CliTest, ScansAFolderTreeAsAddFolderDoes)
{
    for (const char* name : {"tree/a.bmp", "tree/b.JPG", "tree/c.jpeg", "tree/sub/f.png"})
        Picture(name);
    WriteFile(dir / "tree/d.txt", "text");
    fs::create_directory(dir / "out");
    const CliRun run = Cli("-f tif -o out -r tree");
    EXPECT_EQ(run.status, 0) << run.err;
    std::set<std::string> written;
    for (const auto& e : fs::directory_iterator(dir / "out"))
        written.insert(e.path().filename().string());
    EXPECT_EQ(written, (std::set<std::string>{"a.tif", "b.tif", "c.tif", "f.tif"}));
}

struct UsageCase {
    const char* args;
    const char* message;
};

void PrintTo(const UsageCase& c, std::ostream* os)
{
    *os << '"' << c.args << '"';
}

class CliUsageTest : public CliTest, public testing::WithParamInterface<UsageCase> {};

TEST_P(CliUsageTest, RefusesWithTheWindowsMessagesAndExitsTwo)
{
    Picture("a.png");
    const CliRun run = Cli(GetParam().args);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find(GetParam().message), std::string::npos) << run.err;
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 3) << "nothing written";
}

INSTANTIATE_TEST_SUITE_P(Cases, CliUsageTest, testing::Values(
    UsageCase{"-f png a.png", "Please select in file and Out folder."},
    UsageCase{"-f png -o out", "Please select in file and Out folder."},
    UsageCase{"", "Please select in file and Out folder."},
    UsageCase{"-o out a.png", "Please select out file type."},
    UsageCase{"-f webp -o out a.png", "unknown format 'webp'"},
    UsageCase{"-f png -o out --jobs x a.png", "--jobs needs a number"},
    UsageCase{"-f png -o out --fast a.png", "unknown option '--fast'"},
    UsageCase{"-f png -o", "needs a value"}));

TEST_F(CliTest, HelpListsTheExitCodes)
{
    const CliRun run = Cli("--help");
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("Usage: tessaglyph-convert"), std::string::npos);
    EXPECT_NE(run.out.find("  2  usage error"), std::string::npos);
}

}  // namespace
