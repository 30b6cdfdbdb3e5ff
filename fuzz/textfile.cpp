// Arbitrary bytes read line by line as a UTF-16 text file. Besides memory safety, checks that
// reading loses nothing: the lines, with their line feeds put back, are the file's code units.
#include "model/StdioFileEx.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

using quorvik::model::CStdioFileEx;

namespace {

const std::string& scratchFile() {
    static const std::string path = [] {
        char dir[] = "/tmp/qv-fuzz-textfile-XXXXXX";
        if (!::mkdtemp(dir))
            std::abort();
        return std::string(dir) + "/input.txt";
    }();
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = scratchFile();
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out)
        std::abort();
    if (size > 0 && std::fwrite(data, 1, size, out) != size)
        std::abort();
    std::fclose(out);

    // The code units after the two skipped bytes; an odd last byte is not a unit.
    std::u16string units;
    for (std::size_t i = 2; i + 1 < size; i += 2)
        units.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));

    CStdioFileEx file;
    if (!file.OpenForRead(path))
        std::abort();
    std::u16string rebuilt;
    std::u16string line;
    while (file.ReadString(line)) {
        if (line.empty())
            std::abort();
        // Only the line that is a lone line feed may hold one at its end.
        if (line.back() == u'\n' && line.size() != 1)
            std::abort();
        // Line feeds inside a line would mean a line was cut in the wrong place.
        if (line.size() > 1 && line.find(u'\n') != std::u16string::npos)
            std::abort();
        rebuilt += line == u"\n" ? line : line + u'\n';
    }
    if (!line.empty())
        std::abort();
    // The last line may have had no line feed of its own.
    if (rebuilt != units && rebuilt != units + u'\n')
        std::abort();
    return 0;
}
