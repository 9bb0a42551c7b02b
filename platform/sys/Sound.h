// Playing wave files: PlaySound with the flags the program uses. Sounds play on one playback
// thread through ALSA's default device (which desktops route to their sound server), so a caller
// never waits for a sound card; a new sound cuts the one playing. Without a sound card nothing is
// heard and nothing is printed.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/base/Types.h"

#define SND_SYNC 0x0000
#define SND_ASYNC 0x0001
#define SND_NODEFAULT 0x0002
#define SND_MEMORY 0x0004
#define SND_LOOP 0x0008
#define SND_NOSTOP 0x0010
#define SND_FILENAME 0x00020000

// Plays the wave file named by pszSound (SND_FILENAME; a program path). A null name stops the
// sound playing. FALSE when the file is missing or not a wave file that can be played; with
// SND_ASYNC the answer comes before the sound is heard, otherwise once it has played. Sound
// names that are not files are not known here. No default sound is ever played in place of one
// that cannot be.
BOOL PlaySound(LPCTSTR pszSound, HMODULE hmod, DWORD fdwSound);
inline BOOL PlaySoundA(LPCTSTR pszSound, HMODULE hmod, DWORD fdwSound) {
    return PlaySound(pszSound, hmod, fdwSound);
}

// For tests: the ALSA device sounds go to (null: "default"), e.g. "file:'/tmp/x/out.raw',raw";
// and a wait until the playback thread has finished what it was given (FALSE on time-out).
void SetSoundDeviceForTesting(const char* pszDevice);
BOOL WaitForSoundIdleForTesting(DWORD dwMilliseconds);
// For tests of cutting a sound short: a pause after each block of about 20 ms written (0: none),
// and, for each sound the device was opened for since the last call, the frames written and
// the frames the sound has.
void SetSoundBlockPauseForTesting(DWORD dwMilliseconds);
struct SSoundPlayedForTesting {
    size_t nWritten;
    size_t nFrames;
};
std::vector<SSoundPlayedForTesting> TakeSoundsPlayedForTesting();
