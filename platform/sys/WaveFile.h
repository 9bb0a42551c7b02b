// The RIFF wave files the program plays: PCM of 8, 16, 24 or 32 bits and IEEE floats of 32 or 64
// bits, plain or in the extensible header. The reader takes the bytes of a file that came from
// anywhere: every size is checked against what is there.
#pragma once

#include <cstddef>
#include <string>

#include "platform/base/Types.h"

struct SWaveData {
    enum Encoding { PCM = 1, FLOAT = 3 };
    int nEncoding = PCM;
    int nChannels = 0;
    DWORD dwSampleRate = 0;
    int nBitsPerSample = 0; // of each sample's container
    int nBlockAlign = 0;    // bytes of one frame, all channels
    // The sample bytes as stored (little-endian, interleaved), whole frames only.
    std::string samples;

    size_t GetFrameCount() const { return nBlockAlign > 0 ? samples.size() / nBlockAlign : 0; }
};

// FALSE for anything that is not a wave file the program can play: no RIFF/WAVE header, no
// format or no data chunk, an encoding, sample size, channel count or rate it does not take.
BOOL ParseWaveFile(const void* pData, size_t nSize, SWaveData& out);
// Reads the file at a program path; FALSE when it cannot be read or parsed. Only a regular file
// is read, and at once FALSE for a pipe, a device or a folder; files larger than
// kMaxWaveFileBytes are refused.
BOOL ReadWaveFile(LPCTSTR lpszPath, SWaveData& out);
constexpr size_t kMaxWaveFileBytes = 64u << 20;
