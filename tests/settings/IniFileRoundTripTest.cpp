#include "IniFile.h"

#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

// Random files made of the pieces that trouble INI readers. A fixed seed keeps
// every run the same; the file number in a failure message finds the case.
class RandomIni {
public:
    explicit RandomIni(unsigned seed) : m_rng(seed) {}

    int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_rng); }

    std::string Text(int maxLength)
    {
        static const std::string kAlphabet =
            "abcXYZ019 \t;;==[[]]\"\"./-_\x7e\x80\xc3\xa9\xef\xbb\xbf\xff";
        const int length = Below(maxLength + 1);
        std::string text;
        for (int i = 0; i < length; ++i)
            text += kAlphabet[static_cast<std::size_t>(Below(static_cast<int>(kAlphabet.size())))];
        return text;
    }

    std::string Cased(const std::string& name)
    {
        std::string out = name;
        for (char& c : out) {
            if (Below(3) == 0 && c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
            else if (Below(3) == 0 && c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        }
        return out;
    }

    std::string Section() { return kSections[static_cast<std::size_t>(Below(5))]; }
    std::string Key() { return kKeys[static_cast<std::size_t>(Below(7))]; }

    std::string Line()
    {
        std::string line;
        switch (Below(7)) {
        case 0: line = "[" + Cased(Section()) + "]" + (Below(4) == 0 ? Text(3) : ""); break;
        case 1:
        case 2: line = Cased(Key()) + "=" + Text(30); break;
        case 3: line = Text(60); break;
        case 4: line = Text(6000); break;
        case 5: line = ""; break;
        default: line = Text(20) + "\r" + Text(20); break;  // a CR inside a line
        }
        if (!line.empty() && line.back() == '\r')
            line += 'x';  // a CR before the LF would be part of the line end
        return line;
    }

    std::vector<std::string> Lines() {
        std::vector<std::string> lines(static_cast<std::size_t>(Below(40)));
        for (std::string& line : lines)
            line = Line();
        return lines;
    }

    // The file as some other editor may have left it: LF or CR LF, and the
    // last line with or without its end (an empty last line needs its end to
    // be a line at all).
    std::string FileOf(const std::vector<std::string>& lines)
    {
        std::string bytes;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            bytes += lines[i];
            if (i + 1 < lines.size() || lines[i].empty() || Below(2) == 0)
                bytes += Below(2) == 0 ? "\n" : "\r\n";
        }
        return bytes;
    }

private:
    static constexpr const char* kSections[] = {"Single", "Batch", "other", "a b", ""};
    static constexpr const char* kKeys[] = {"OutDir", "InFile", "bbmp", "k", "x y", " k", ""};
    std::mt19937 m_rng;
};

std::string WithCrLf(const std::vector<std::string>& lines)
{
    std::string bytes;
    for (const std::string& line : lines)
        bytes += line + "\r\n";
    return bytes;
}

std::string Folded(std::string text)
{
    for (char& c : text) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

std::vector<std::string> TextsOf(const IniFile& ini)
{
    std::vector<std::string> texts;
    for (const IniLine& line : ini.Lines())
        texts.push_back(line.text);
    return texts;
}

bool IsSubsequence(const std::vector<std::string>& part, const std::vector<std::string>& whole)
{
    std::size_t j = 0;
    for (std::size_t i = 0; i < whole.size() && j < part.size(); ++i) {
        if (whole[i] == part[j])
            ++j;
    }
    return j == part.size();
}

constexpr int kFiles = 200;

TEST(IniFileRoundTrip, LoadAndSaveChangesNothingButLineEnds)
{
    ScratchFolder folder;
    const std::string path = folder.File("config.ini");
    RandomIni random(20240611);
    for (int file = 0; file < kFiles; ++file) {
        const std::vector<std::string> lines = random.Lines();
        WriteFile(path, random.FileOf(lines));
        IniFile ini;
        ASSERT_TRUE(ini.Open(path)) << file;
        ASSERT_TRUE(ini.Save(path)) << file;
        ASSERT_EQ(ReadFile(path), WithCrLf(lines)) << "file " << file;
    }
}

TEST(IniFileRoundTrip, SetValuesReadBackExactlyAndOtherLinesStay)
{
    ScratchFolder folder;
    const std::string path = folder.File("config.ini");
    RandomIni random(7031);
    for (int file = 0; file < kFiles; ++file) {
        const std::vector<std::string> lines = random.Lines();
        WriteFile(path, random.FileOf(lines));
        IniFile original;
        ASSERT_TRUE(original.Open(path));

        IniFile ini;
        ASSERT_TRUE(ini.Open(path));
        std::map<std::pair<std::string, std::string>, std::string> expected;
        std::map<std::pair<std::string, std::string>, std::string> comments;
        std::set<std::size_t> rewritten;
        std::set<std::string> newSections;
        std::size_t added = 0;
        const int sets = random.Below(30);
        for (int n = 0; n < sets; ++n) {
            const std::string section = random.Cased(random.Section());
            const std::string key = random.Cased(random.Key());
            const std::string value = random.Text(random.Below(10) == 0 ? 5000 : 25);
            const auto id = std::make_pair(Folded(section), Folded(key));
            ASSERT_TRUE(ini.SetString(section, key, value)) << file;

            const IniKeyLookup before = original.FindKey(section, key);
            if (before.keyLine) {
                rewritten.insert(*before.keyLine);
                comments[id] = before.comment;
            } else if (expected.count(id) == 0) {
                ++added;
                if (!before.sectionLine && newSections.insert(Folded(section)).second)
                    ++added;
            }
            expected[id] = value;
        }
        ASSERT_TRUE(ini.Save(path));
        ASSERT_TRUE(ini.Open(path));

        for (const auto& [id, value] : expected) {
            const IniKeyLookup found = ini.FindKey(id.first, id.second);
            ASSERT_TRUE(found.keyLine) << "file " << file << " [" << id.first << "] " << id.second;
            EXPECT_EQ(found.value, value) << "file " << file << " [" << id.first << "] " << id.second;
            if (comments.count(id) != 0) {
                EXPECT_EQ(found.comment, comments[id]) << "file " << file;
            }
        }
        std::vector<std::string> untouched;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (rewritten.count(i) == 0)
                untouched.push_back(lines[i]);
        }
        const std::vector<std::string> now = TextsOf(ini);
        EXPECT_EQ(now.size(), lines.size() + added) << "file " << file;
        EXPECT_TRUE(IsSubsequence(untouched, now)) << "file " << file;
    }
}

} // namespace
