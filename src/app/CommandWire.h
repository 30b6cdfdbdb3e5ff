// The frames of a command session between quorvikctl and the running program, after the
// single-instance socket's request (code 3) was acknowledged:
//
//   kind (1 byte) | payload length (4 bytes, little-endian) | payload
//
//   tool → program: 'A' the command's arguments, each ended by a zero byte (first frame, once)
//                   'a' the line typed in answer to a question
//                   'i' Ctrl+C: a watch ends as its time would end it
//   program → tool: 'o' text for standard output      'e' text for standard error
//                   'q' a question to ask on the terminal
//                   'x' the exit code (1 byte); the program then closes the connection
//
// Payloads are bounded, so a confused peer cannot make the other side hold unbounded memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvik::ctl::wire {

inline constexpr char kArgs = 'A';
inline constexpr char kAnswer = 'a';
inline constexpr char kInterrupt = 'i';
inline constexpr char kOut = 'o';
inline constexpr char kErr = 'e';
inline constexpr char kQuestion = 'q';
inline constexpr char kExit = 'x';

inline constexpr std::size_t kHeaderBytes = 5;
inline constexpr std::size_t kOffLength = 1;
inline constexpr std::uint32_t kMaxPayload = 1u << 20;

struct Frame {
    char kind = 0;
    std::string payload;
};

std::string Encode(char kind, std::string_view payload);
std::string EncodeArgs(const std::vector<std::string>& args);
// Arguments from an 'A' payload; none when it is not a list of zero-ended strings.
std::optional<std::vector<std::string>> DecodeArgs(const std::string& payload);

// Collects bytes as they arrive and hands out whole frames.
class FrameReader {
public:
    void Append(const char* bytes, std::size_t count) { buffer_.append(bytes, count); }
    // The next whole frame, if one is there. A length beyond the bound breaks the stream for good.
    std::optional<Frame> Next();
    bool Broken() const { return broken_; }

private:
    std::string buffer_;
    bool broken_ = false;
};

} // namespace quorvik::ctl::wire
