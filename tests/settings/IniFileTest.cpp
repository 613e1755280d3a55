#include "IniFile.h"

#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <climits>
#include <ostream>
#include <string>

namespace {

class IniFileTest : public testing::Test {
protected:
    // Writes `bytes` as the file and opens a store on it.
    void Load(const std::string& bytes)
    {
        WriteFile(m_path, bytes);
        ASSERT_TRUE(m_ini.Open(m_path));
    }
    // Saves the store to the file and gives the file's bytes.
    std::string SaveAndRead()
    {
        EXPECT_TRUE(m_ini.Save(m_path));
        return ReadFile(m_path);
    }
    // Saves, then reads the file back into the store, as the next run would.
    void SaveAndReopen()
    {
        ASSERT_TRUE(m_ini.Save(m_path));
        ASSERT_TRUE(m_ini.Open(m_path));
    }

    ScratchFolder m_folder;
    std::string m_path = m_folder.File("config.ini");
    IniFile m_ini;
};

TEST_F(IniFileTest, AbsentFileIsCreatedEmptyAndGetsExactlyTheSetLines)
{
    ASSERT_TRUE(m_ini.Open(m_path));
    EXPECT_TRUE(std::filesystem::exists(m_path));
    EXPECT_EQ(ReadFile(m_path), "");
    EXPECT_EQ(m_ini.GetString("S", "a", "dflt"), "dflt");
    EXPECT_EQ(m_ini.GetInt("S", "a", -7), -7);
    EXPECT_TRUE(m_ini.GetBool("S", "a", true));

    EXPECT_TRUE(m_ini.SetString("S", "a", "1"));
    EXPECT_TRUE(m_ini.SetInt("S", "b", -2));
    EXPECT_TRUE(m_ini.SetBool("S", "c", true));
    EXPECT_TRUE(m_ini.SetString("T", "x", ""));
    // New keys go to the top of their section; new sections to the end.
    EXPECT_EQ(SaveAndRead(), "[S]\r\nc=1\r\nb=-2\r\na=1\r\n[T]\r\nx=\r\n");
}

TEST_F(IniFileTest, NamesMatchIgnoringAsciiCaseAndRewriteKeepsTheFilesLetters)
{
    Load("[single]\r\noutDIR=/a\r\n[\xC3\xA9t\xC3\xA9]\r\nk=v\r\n");
    EXPECT_EQ(m_ini.GetString("SINGLE", "OutDir", "-"), "/a");
    // Only a to z fold: "\xC3\x89" (capital e acute) is another byte string.
    EXPECT_EQ(m_ini.GetString("\xC3\x89T\xC3\x89", "k", "-"), "-");
    EXPECT_EQ(m_ini.GetString("\xC3\xa9T\xC3\xa9", "K", "-"), "v");

    EXPECT_TRUE(m_ini.SetString("Single", "OutDir", "/b"));
    EXPECT_EQ(SaveAndRead(), "[single]\r\noutDIR=/b\r\n[\xC3\xA9t\xC3\xA9]\r\nk=v\r\n");
}

TEST_F(IniFileTest, HeaderWithExtraTextMatchesNoNameAndANewHeaderIsAppended)
{
    const std::string original =
        "\xEF\xBB\xBF[Single]\r\nOutDir=/bom\r\n"  // a byte-order mark is part of the line
        "[Batch] \r\nOutDir=/blank\r\n"
        " [Other]\r\nOutDir=/lead\r\n"
        "[Extra];note\r\nOutDir=/comment\r\n";
    Load(original);
    for (const char* section : {"Single", "Batch", "Other", "Extra"})
        EXPECT_EQ(m_ini.GetString(section, "OutDir", "-"), "-") << section;

    EXPECT_TRUE(m_ini.SetString("Batch", "OutDir", "/new"));
    EXPECT_EQ(SaveAndRead(), original + "[Batch]\r\nOutDir=/new\r\n");
    ASSERT_TRUE(m_ini.Open(m_path));
    EXPECT_EQ(m_ini.GetString("Batch", "OutDir", "-"), "/new");
}

TEST_F(IniFileTest, KeysAndValuesAreTakenAsWrittenWithoutTrimming)
{
    Load("[S]\r\nkey =spaced key\r\nv= padded \r\nempty=\r\n");
    EXPECT_EQ(m_ini.GetString("S", "key", "-"), "-");
    EXPECT_EQ(m_ini.GetString("S", "key ", "-"), "spaced key");
    EXPECT_EQ(m_ini.GetString("S", "v", "-"), " padded ");
    // Present but empty is not absent.
    EXPECT_EQ(m_ini.GetString("S", "empty", "-"), "");
    EXPECT_EQ(m_ini.GetInt("S", "empty", 5), 0);
    EXPECT_FALSE(m_ini.GetBool("S", "empty", true));

    EXPECT_TRUE(m_ini.SetString("S", "key", "new"));
    EXPECT_EQ(SaveAndRead(), "[S]\r\nkey=new\r\nkey =spaced key\r\nv= padded \r\nempty=\r\n");
}

TEST_F(IniFileTest, CommentsEndPlainValuesAndSurviveRewrites)
{
    Load("; top comment\r\n[S]\r\nk=abc;note; more\r\n;k=hidden\r\nnoequals\r\nm=2\r\n");
    EXPECT_EQ(m_ini.GetString("S", "k", "-"), "abc");
    EXPECT_EQ(m_ini.GetInt("S", "m", 0), 2);  // comment and Other lines do not end the body

    EXPECT_TRUE(m_ini.SetString("S", "k", "xyz"));
    EXPECT_EQ(SaveAndRead(),
              "; top comment\r\n[S]\r\nk=xyz;note; more\r\n;k=hidden\r\nnoequals\r\nm=2\r\n");
    ASSERT_TRUE(m_ini.Open(m_path));
    EXPECT_TRUE(m_ini.SetString("S", "k", "a;b"));
    EXPECT_EQ(m_ini.FindKey("S", "k").comment, ";note; more");
    SaveAndReopen();
    EXPECT_EQ(m_ini.GetString("S", "k", "-"), "a;b");
    EXPECT_EQ(m_ini.Lines()[2].text, "k=\"a;b\";note; more");
}

TEST_F(IniFileTest, PathsWithBracketsSemicolonsAndQuotesReadBackWhole)
{
    Load("[Single]\r\nOutDir=/photos/[2024] Trip/\r\nInFile=/a.png\r\n");
    EXPECT_EQ(m_ini.GetString("Single", "OutDir", "-"), "/photos/[2024] Trip/");
    EXPECT_EQ(m_ini.GetString("Single", "InFile", "-"), "/a.png");

    const std::string values[] = {
        "/music/a;b/",        "\"quoted\" start",  "/x/\"mid\"/",     "\"",
        "\"\"",               ";",                 "end\"",           "/[a]/b;c/\"d\"/",
        " \"blank first",     "=x=",               "",                "]x[",
    };
    int n = 0;
    for (const std::string& value : values)
        EXPECT_TRUE(m_ini.SetString("Single", "k" + std::to_string(n++), value)) << value;
    SaveAndReopen();
    n = 0;
    for (const std::string& value : values)
        EXPECT_EQ(m_ini.GetString("Single", "k" + std::to_string(n++), "-"), value);
    EXPECT_EQ(m_ini.GetString("Single", "OutDir", "-"), "/photos/[2024] Trip/");
}

TEST_F(IniFileTest, QuotedValuesInHandEditedFiles)
{
    Load("[S]\r\n"
         "a=\"x\"\"y;z\";note\r\n"  // doubled quote and a ";" inside the quotes
         "b=\"no close;tail\r\n"    // no closing quote: read as before quoting existed
         "c=\"in\"out;note\r\n"     // text after the closing quote is kept
         "d=plain\"quote\r\n");
    EXPECT_EQ(m_ini.GetString("S", "a", "-"), "x\"y;z");
    EXPECT_EQ(m_ini.FindKey("S", "a").comment, ";note");
    EXPECT_EQ(m_ini.GetString("S", "b", "-"), "\"no close");
    EXPECT_EQ(m_ini.GetString("S", "c", "-"), "inout");
    EXPECT_EQ(m_ini.GetString("S", "d", "-"), "plain\"quote");

    EXPECT_TRUE(m_ini.SetString("S", "a", "plain"));
    EXPECT_TRUE(m_ini.SetString("S", "b", "\"q"));
    EXPECT_EQ(m_ini.Lines()[1].text, "a=plain;note");
    EXPECT_EQ(m_ini.Lines()[2].text, "b=\"\"\"q\";tail");
}

TEST_F(IniFileTest, LongTextsAreNeverSplitOrCut)
{
    const std::string longValue(4000, 'v');
    const std::string longKey(300, 'K');
    const std::string longComment = ";" + std::string(10000, 'c');
    Load("[S]\r\n" + longComment + "\r\n" + longKey + "=" + std::string(600, 'x') + longComment +
         "\r\n");
    EXPECT_EQ(m_ini.Lines().size(), 3u);
    EXPECT_EQ(m_ini.GetString("S", longKey, "-"), std::string(600, 'x'));

    EXPECT_TRUE(m_ini.SetString("S", longKey, longValue + "[]"));
    EXPECT_TRUE(m_ini.SetString("S", "path", longValue));
    SaveAndReopen();
    EXPECT_EQ(m_ini.GetString("S", longKey, "-"), longValue + "[]");
    EXPECT_EQ(m_ini.GetString("S", "path", "-"), longValue);
    EXPECT_EQ(m_ini.FindKey("S", longKey).comment, longComment);
    EXPECT_EQ(m_ini.Lines()[2].text, longComment);
}

TEST_F(IniFileTest, LineEndsBecomeCrLfAndOtherCarriageReturnsStay)
{
    Load("a\n[S]\nk=v\n\nmid\rcr\r\ncr-end\r\r\nlast");
    EXPECT_EQ(m_ini.GetString("S", "k", "-"), "v");
    EXPECT_EQ(SaveAndRead(), "a\r\n[S]\r\nk=v\r\n\r\nmid\rcr\r\ncr-end\r\r\nlast\r\n");
}

TEST_F(IniFileTest, LinesBeforeTheFirstHeaderBelongToNoSection)
{
    Load("k=top\r\n[S]\r\n");
    EXPECT_EQ(m_ini.GetString("S", "k", "-"), "-");
    EXPECT_TRUE(m_ini.SetString("S", "k", "v"));
    EXPECT_EQ(SaveAndRead(), "k=top\r\n[S]\r\nk=v\r\n");
}

TEST_F(IniFileTest, FirstHeaderAndFirstKeyWinAndDuplicatesStay)
{
    Load("[S]\r\nk=1\r\nK=2\r\n[s]\r\nk=3\r\nonly=4\r\n");
    EXPECT_EQ(m_ini.GetString("S", "k", "-"), "1");
    EXPECT_EQ(m_ini.GetString("S", "only", "-"), "-");
    EXPECT_TRUE(m_ini.SetString("S", "k", "9"));
    EXPECT_TRUE(m_ini.SetString("S", "only", "5"));
    EXPECT_EQ(SaveAndRead(), "[S]\r\nonly=5\r\nk=9\r\nK=2\r\n[s]\r\nk=3\r\nonly=4\r\n");
}

TEST_F(IniFileTest, HeaderAsLastLineGetsItsKeyAfterIt)
{
    Load("[A]\r\nx=1\r\n[S]");
    EXPECT_EQ(m_ini.GetString("S", "x", "-"), "-");
    EXPECT_TRUE(m_ini.SetString("S", "k", "v"));
    EXPECT_EQ(SaveAndRead(), "[A]\r\nx=1\r\n[S]\r\nk=v\r\n");
}

TEST_F(IniFileTest, OpenDiscardsWhatTheStoreHeld)
{
    ASSERT_TRUE(m_ini.Open(m_path));
    EXPECT_TRUE(m_ini.SetString("S", "k", "v"));
    Load("[T]\r\n");
    EXPECT_EQ(m_ini.Lines().size(), 1u);
    EXPECT_EQ(m_ini.GetString("S", "k", "-"), "-");
    m_ini.Close();
    EXPECT_TRUE(m_ini.Lines().empty());
}

TEST_F(IniFileTest, SettersRefuseTextsThatWouldNotReadBack)
{
    Load("[S]\r\nk=old\r\n");
    const auto before = SaveAndRead();
    EXPECT_FALSE(m_ini.SetString("S", "k", "a\nb"));
    EXPECT_FALSE(m_ini.SetString("S", "k", "a\rb"));
    EXPECT_FALSE(m_ini.SetString("S", "k\n", "v"));
    EXPECT_FALSE(m_ini.SetString("S\r", "k", "v"));
    EXPECT_FALSE(m_ini.SetString("S", "a=b", "v"));
    EXPECT_FALSE(m_ini.SetString("S", "a;b", "v"));
    EXPECT_FALSE(m_ini.SetString("S", " [k", "v"));
    EXPECT_FALSE(m_ini.SetString("S;x", "k", "v"));
    EXPECT_FALSE(m_ini.SetInt("S", "k=", 1));
    EXPECT_FALSE(m_ini.SetBool("S\n", "k", true));
    EXPECT_EQ(SaveAndRead(), before);
}

struct NumberCase {
    const char* stored;
    int asInt;
};

void PrintTo(const NumberCase& c, std::ostream* os)
{
    *os << '"' << c.stored << "\" -> " << c.asInt;
}

class IniNumberTest : public IniFileTest, public testing::WithParamInterface<NumberCase> {};

TEST_P(IniNumberTest, ReadsValuesLikeAtoi)
{
    Load(std::string("[S]\r\nn=") + GetParam().stored + "\r\n");
    EXPECT_EQ(m_ini.GetInt("S", "n", 12345), GetParam().asInt);
    EXPECT_EQ(m_ini.GetBool("S", "n", true), GetParam().asInt != 0);
}

INSTANTIATE_TEST_SUITE_P(Values, IniNumberTest, testing::Values(
    NumberCase{"1", 1}, NumberCase{"2", 2}, NumberCase{"-1", -1}, NumberCase{"0", 0},
    NumberCase{"abc", 0}, NumberCase{" \t 42x", 42}, NumberCase{"+7", 7}, NumberCase{"-", 0},
    NumberCase{"0x10", 0}, NumberCase{"- 3", 0}, NumberCase{"8 9", 8},
    NumberCase{"2147483647", INT_MAX}, NumberCase{"99999999999999999999", INT_MAX},
    NumberCase{"-2147483648", INT_MIN}, NumberCase{"-99999999999999999999", INT_MIN}));

} // namespace
