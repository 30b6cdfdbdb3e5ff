// What every benchmark compares against: reading the same bytes raw, with nothing but read().
#pragma once

#include <cstddef>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace quorvik::bench {

// Reads the whole file through `buffer`; returns the bytes read (0 when it cannot be opened).
inline std::size_t RawRead(const std::string& path, std::vector<char>& buffer) {
    int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0)
        return 0;
    std::size_t total = 0;
    for (ssize_t got; (got = ::read(fd, buffer.data(), buffer.size())) > 0;)
        total += std::size_t(got);
    ::close(fd);
    return total;
}

// The process's resident memory now (VmRSS), in KiB; -1 when it cannot be read.
inline long ResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

} // namespace quorvik::bench
