#include "platform/HidDescriptor.h"

#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <vector>

namespace quorvik::platform {
namespace {

// Item types (bits 3..2 of the prefix) and the tags we act on (bits 7..4).
constexpr int kTypeMain = 0;
constexpr int kTypeGlobal = 1;
constexpr std::uint8_t kLongItemPrefix = 0xFE;

constexpr int kMainInput = 0x8;
constexpr int kMainOutput = 0x9;
constexpr int kMainCollection = 0xA;
constexpr int kMainFeature = 0xB;
constexpr int kMainEndCollection = 0xC;

constexpr int kGlobalReportSize = 0x7;
constexpr int kGlobalReportId = 0x8;
constexpr int kGlobalReportCount = 0x9;
constexpr int kGlobalPush = 0xA;
constexpr int kGlobalPop = 0xB;

// Deep enough for any real descriptor; a hostile one cannot grow the stack without bound.
constexpr std::size_t kMaxPushDepth = 32;
// Lengths are 16-bit in the capabilities; anything longer is saturated there.
constexpr std::uint64_t kMaxBits = 0xFFFFull * 8;

struct Globals {
    std::uint32_t reportSize = 0;
    std::uint32_t reportCount = 0;
    std::uint8_t reportId = 0;
};

enum Kind { Input, Output, Feature, KindCount };

// Bits per report id, per kind.
using ReportBits = std::array<std::map<std::uint8_t, std::uint64_t>, KindCount>;

std::uint16_t ByteLength(const std::map<std::uint8_t, std::uint64_t>& bitsById) {
    std::uint64_t longest = 0;
    for (const auto& [id, bits] : bitsById)
        longest = std::max(longest, bits);
    if (bitsById.empty())
        return 0;
    const std::uint64_t bytes = (std::min(longest, kMaxBits) + 7) / 8 + 1;
    return static_cast<std::uint16_t>(std::min<std::uint64_t>(bytes, 0xFFFF));
}

HidCaps CapsOf(const ReportBits& bits) {
    HidCaps caps;
    caps.inputReportByteLength = ByteLength(bits[Input]);
    caps.outputReportByteLength = ByteLength(bits[Output]);
    caps.featureReportByteLength = ByteLength(bits[Feature]);
    return caps;
}

} // namespace

HidDescriptorInfo ParseReportDescriptor(std::span<const std::uint8_t> d) {
    HidDescriptorInfo info;
    ReportBits bits;
    std::vector<ReportBits> collectionBits;
    std::size_t depth = 0;
    std::size_t current = 0;            // collection that the items at depth > 0 belong to
    std::optional<std::size_t> outside; // the collection of the items outside every collection
    Globals globals;
    std::vector<Globals> stack;

    std::size_t pos = 0;
    while (pos < d.size() && info.error.empty()) {
        const std::size_t itemOffset = pos;
        auto fail = [&](const char* what) {
            info.error = std::string(what) + " at offset " + std::to_string(itemOffset);
        };
        const std::uint8_t prefix = d[pos];
        if (prefix == kLongItemPrefix) {
            // Long items carry their own size; none of them matters to report lengths.
            if (pos + 2 >= d.size() || pos + 3 + d[pos + 1] > d.size()) {
                fail("long item runs past the end");
                break;
            }
            pos += 3 + d[pos + 1];
            continue;
        }
        const std::size_t size = (prefix & 3) == 3 ? 4 : (prefix & 3);
        if (pos + 1 + size > d.size()) {
            fail("item runs past the end");
            break;
        }
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < size; ++i)
            value |= std::uint32_t(d[pos + 1 + i]) << (8 * i);
        const int type = (prefix >> 2) & 3;
        const int tag = prefix >> 4;
        pos += 1 + size;

        if (type == kTypeGlobal) {
            switch (tag) {
            case kGlobalReportSize:
                globals.reportSize = value;
                break;
            case kGlobalReportCount:
                globals.reportCount = value;
                break;
            case kGlobalReportId:
                if (value == 0 || value > 0xFF) {
                    fail("invalid report id");
                    break;
                }
                globals.reportId = static_cast<std::uint8_t>(value);
                info.usesReportIds = true;
                break;
            case kGlobalPush:
                if (stack.size() >= kMaxPushDepth) {
                    fail("push nested too deeply");
                    break;
                }
                stack.push_back(globals);
                break;
            case kGlobalPop:
                if (stack.empty()) {
                    fail("pop without push");
                    break;
                }
                globals = stack.back();
                stack.pop_back();
                break;
            default:
                break;
            }
        } else if (type == kTypeMain) {
            int kind = -1;
            if (tag == kMainInput)
                kind = Input;
            else if (tag == kMainOutput)
                kind = Output;
            else if (tag == kMainFeature)
                kind = Feature;
            if (tag == kMainCollection) {
                if (depth == 0) {
                    collectionBits.emplace_back();
                    current = collectionBits.size() - 1;
                }
                ++depth; // a counter only: nesting costs no memory
            } else if (tag == kMainEndCollection) {
                if (depth > 0)
                    --depth; // a stray end is ignored, as devices ship such descriptors
            } else if (kind >= 0) {
                if (depth == 0 && !outside) {
                    collectionBits.emplace_back();
                    outside = collectionBits.size() - 1;
                }
                const std::uint64_t add = std::uint64_t(globals.reportSize) * globals.reportCount;
                for (ReportBits* counted : {&bits, &collectionBits[depth > 0 ? current : *outside]}) {
                    std::uint64_t& total = (*counted)[kind][globals.reportId];
                    total = std::min(kMaxBits, total + add);
                }
            }
        }
        // Local items do not change report lengths.
    }

    info.caps = CapsOf(bits);
    for (const ReportBits& collection : collectionBits)
        info.collections.push_back(CapsOf(collection));
    return info;
}

} // namespace quorvik::platform
