// The frame builders with any arguments: set_frame_header, set_frame_bits and get_frame_bits on a
// frame with guard bytes around it, request_length for any opcode and frame, and the length
// field for any length. Each result is checked against the rule written out once more.

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "FuzzCheck.h"
#include "Link.h"

namespace {

constexpr std::uint8_t kGuard = 0xA5;

struct TGuardedFrame {
    std::array<std::uint8_t, kRequestFrameSize + 2> bytes;
    std::uint8_t* Frame() { return bytes.data() + 1; }
    bool GuardsIntact() const { return bytes.front() == kGuard && bytes.back() == kGuard; }
};

void CheckHeader(FuzzedDataProvider& in, TGuardedFrame& g) {
    const std::uint8_t before3 = g.Frame()[kFrameIndex];
    const auto opcode = in.ConsumeIntegral<std::uint8_t>();
    const auto id0 = in.ConsumeIntegral<std::uint8_t>();
    const auto id1 = in.ConsumeIntegral<std::uint8_t>();
    const auto index = in.ConsumeIntegral<std::uint8_t>();
    set_frame_header(g.Frame(), opcode, id0, id1, index);
    FUZZ_CHECK(g.Frame()[kFrameIdByte0] == id0 && g.Frame()[kFrameIdByte1] == id1);
    FUZZ_CHECK(g.Frame()[kFrameOpcode] == opcode);
    FUZZ_CHECK(g.Frame()[kFrameIndex] == (index != 0 ? index : before3));
    FUZZ_CHECK(g.GuardsIntact());
}

void CheckBits(FuzzedDataProvider& in, TGuardedFrame& g) {
    const int byteIndex =
        in.ConsumeIntegralInRange<int>(-2 * kRequestFrameSize, 2 * kRequestFrameSize);
    const int shift = in.ConsumeIntegralInRange<int>(-40, 40);
    const int width = in.ConsumeIntegralInRange<int>(-40, 40);
    const auto value = in.ConsumeIntegral<unsigned>();
    const auto before = g.bytes;
    const bool valid = byteIndex >= 0 && byteIndex < kRequestFrameSize && shift >= 0 &&
                       shift <= 7 && width >= 0 && width <= 8;
    const int set = set_frame_bits(g.Frame(), byteIndex, shift, width, value);
    const unsigned got = get_frame_bits(g.Frame(), byteIndex, shift, width);
    if (!valid) {
        FUZZ_CHECK(set == -1 && got == 0);
        FUZZ_CHECK(g.bytes == before);
        return;
    }
    FUZZ_CHECK(set == 0);
    // 64-bit arithmetic, then the byte: nothing here can overflow.
    const std::uint64_t mask = ((std::uint64_t{1} << width) - 1) << shift;
    const std::uint64_t old = before[1 + byteIndex];
    const auto expected =
        static_cast<std::uint8_t>(((old & ~mask) | (std::uint64_t{value} << shift)) & 0xFF);
    FUZZ_CHECK(g.Frame()[byteIndex] == expected);
    FUZZ_CHECK(got == ((static_cast<unsigned>(expected) >> shift) & ((1u << width) - 1u)));
    for (std::size_t i = 0; i < g.bytes.size(); ++i)
        if (static_cast<int>(i) != 1 + byteIndex) FUZZ_CHECK(g.bytes[i] == before[i]);
}

void CheckRequestLength(FuzzedDataProvider& in, TGuardedFrame& g) {
    const int opcode = in.ConsumeIntegralInRange<int>(-5, kOpcodeCount + 5);
    const int length = request_length(g.Frame(), opcode);
    int expected = -1;
    if (opcode >= 0 && opcode < kOpcodeCount) {
        expected = MsgLenTable[opcode].requestLength;
        if (opcode == opDownload) {
            const int index = g.Frame()[kFrameIndex];
            expected = index < kParamIndexCount ? expected + ParamLenTable[index] : -1;
        }
    }
    FUZZ_CHECK(length == expected);
    FUZZ_CHECK(length <= kRequestFrameSize);
}

void CheckLengthField(FuzzedDataProvider& in) {
    const int length = in.ConsumeIntegral<int>();
    char field[kLengthFieldSize + 1];
    std::memset(field, 0x5A, sizeof field);
    const int result = set_length_field(field, length);
    FUZZ_CHECK(field[kLengthFieldSize] == 0x5A);
    if (length < 0) {
        FUZZ_CHECK(result == -1);
        return;
    }
    FUZZ_CHECK(result == 0);
    long long parsed = 0;
    int i = 0;
    for (; i < kLengthFieldSize && field[i] >= '0' && field[i] <= '9'; ++i)
        parsed = parsed * 10 + (field[i] - '0');
    FUZZ_CHECK(i > 0 && parsed == length);
    FUZZ_CHECK(i == 1 || field[0] != '0');  // no leading zeros
    for (; i < kLengthFieldSize; ++i) FUZZ_CHECK(field[i] == '\0');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    TGuardedFrame g;
    g.bytes.fill(kGuard);
    const auto initial = in.ConsumeBytes<std::uint8_t>(kRequestFrameSize);
    std::memset(g.Frame(), 0, kRequestFrameSize);
    if (!initial.empty()) std::memcpy(g.Frame(), initial.data(), initial.size());
    CheckHeader(in, g);
    while (in.remaining_bytes() > 0) {
        switch (in.ConsumeIntegralInRange<int>(0, 2)) {
            case 0:
                CheckBits(in, g);
                break;
            case 1:
                CheckRequestLength(in, g);
                break;
            default:
                CheckLengthField(in);
                break;
        }
    }
    return 0;
}
