#include "CommandWire.h"

namespace quorvik::ctl::wire {

std::string Encode(char kind, std::string_view payload) {
    std::string frame(kHeaderBytes, '\0');
    frame[0] = kind;
    const auto length = static_cast<std::uint32_t>(payload.size());
    for (std::size_t i = 0; i < 4; ++i)
        frame[kOffLength + i] = static_cast<char>((length >> (8 * i)) & 0xFF);
    frame.append(payload);
    return frame;
}

std::string EncodeArgs(const std::vector<std::string>& args) {
    std::string payload;
    for (const std::string& arg : args) {
        payload += arg;
        payload += '\0';
    }
    return Encode(kArgs, payload);
}

std::optional<std::vector<std::string>> DecodeArgs(const std::string& payload) {
    if (!payload.empty() && payload.back() != '\0')
        return std::nullopt;
    std::vector<std::string> args;
    std::size_t start = 0;
    while (start < payload.size()) {
        const std::size_t end = payload.find('\0', start);
        args.push_back(payload.substr(start, end - start));
        start = end + 1;
    }
    return args;
}

std::optional<Frame> FrameReader::Next() {
    if (broken_ || buffer_.size() < kHeaderBytes)
        return std::nullopt;
    std::uint32_t length = 0;
    for (std::size_t i = 0; i < 4; ++i)
        length |= std::uint32_t(static_cast<unsigned char>(buffer_[kOffLength + i])) << (8 * i);
    if (length > kMaxPayload) {
        broken_ = true;
        buffer_.clear();
        return std::nullopt;
    }
    if (buffer_.size() < kHeaderBytes + length)
        return std::nullopt;
    Frame frame{buffer_[0], buffer_.substr(kHeaderBytes, length)};
    buffer_.erase(0, kHeaderBytes + length);
    return frame;
}

} // namespace quorvik::ctl::wire
