#pragma once
// The wire format between the control program and the communication server, written by the link
// and read by the stand-in server: the 12-byte length field, the request frame's layout, the
// opcodes the program sends and the 12-byte status reply. Constants only; any thread.

constexpr int kLengthFieldSize = 12;
constexpr int kStatusReplySize = 12;
constexpr int kRequestFrameSize = 100;

// Byte positions of the request frame.
constexpr int kFrameIdByte0 = 0;
constexpr int kFrameIdByte1 = 1;
constexpr int kFrameOpcode = 2;
constexpr int kFrameIndex = 3;
constexpr int kFrameData = 4;

// The opcodes of the control program's commands (frame byte 2).
enum TOpcode : int {
    opAccuTraf = 5,
    opThreshold = 10,
    opSWReset = 12,
    opHWInit = 13,
    opDownload = 14,
    opUpload = 15,
    opLeapTime = 17,
    opMemChk = 18,
    opEcho = 19,
    opVersion = 21,
};

// An echo request carries the text's first bytes from frame byte 3.
constexpr int kEchoBytes = 10;
// A vehicle-length bound, kept in cm, travels in a byte of 10 cm steps.
constexpr int kLengthStepCm = 10;
