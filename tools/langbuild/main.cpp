// Builds a delivered language or language-setting file from its UTF-8 source: the UTF-16 LE file
// with byte-order mark and line feeds that the program reads.
//
//   langbuild <source.utf8> <output>
//
// Source lines starting with "#" and blank lines are dropped; a trailing carriage return (a source
// edited on Windows) is dropped too, since the program would keep it as part of the text. The first
// remaining line is the section line; every other line must be name=value with something on both
// sides, as the program stops reading at the first line that is not. In a language file
// ("[Setting]") the names must be text numbers 0…499, each once.
#include "model/StdioFileEx.h"
#include "model/Text.h"

#include <array>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

using quorvik::model::CStdioFileEx;

namespace {

constexpr int kTextCount = 500;

struct SourceLine {
    int number;
    std::string text;
};

bool isDecimal(const std::string& s) {
    if (s.empty())
        return false;
    for (char c : s) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

int fail(const std::string& where, const std::string& message) {
    std::cerr << "langbuild: " << where << ": " << message << '\n';
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: langbuild <source.utf8> <output>\n";
        return 2;
    }
    const std::string sourcePath = argv[1];
    const std::string outputPath = argv[2];

    std::ifstream in(sourcePath, std::ios::binary);
    if (!in)
        return fail(sourcePath, "cannot open");

    std::vector<SourceLine> lines;
    std::string raw;
    for (int number = 1; std::getline(in, raw); ++number) {
        if (!raw.empty() && raw.back() == '\r')
            raw.pop_back();
        if (raw.empty() || raw.front() == '#')
            continue;
        lines.push_back({number, raw});
    }
    if (lines.empty())
        return fail(sourcePath, "no section line");

    const bool languageFile = lines.front().text == "[Setting]";
    std::array<int, kTextCount> definedAt{};
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto& line = lines[i];
        const std::string where = sourcePath + ":" + std::to_string(line.number);
        if (quorvik::model::ToUtf8(quorvik::model::ToU16(line.text)) != line.text)
            return fail(where, "not valid UTF-8");
        if (i == 0)
            continue;
        std::size_t p = line.text.find('=');
        if (p == std::string::npos || p == 0 || p + 1 >= line.text.size())
            return fail(where, "expected name=value with text on both sides of the first \"=\"");
        if (!languageFile)
            continue;
        std::string name = line.text.substr(0, p);
        if (!isDecimal(name) || name.size() > 3 || std::stoi(name) >= kTextCount)
            return fail(where, "text number must be 0 to " + std::to_string(kTextCount - 1));
        int index = std::stoi(name);
        if (definedAt[index] != 0)
            return fail(where, "text " + name + " already given on line " + std::to_string(definedAt[index]));
        definedAt[index] = line.number;
    }

    CStdioFileEx out;
    if (!out.OpenForWrite(outputPath))
        return fail(outputPath, "cannot create");
    for (const auto& line : lines)
        out.WriteString(quorvik::model::ToU16(line.text) + u"\n");
    if (!out.Close())
        return fail(outputPath, "could not write the file");
    return 0;
}
