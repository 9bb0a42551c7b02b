#include "platform/sys/Sound.h"

#include <alsa/asoundlib.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/sys/WaveFile.h"

namespace {

// ALSA reports problems on stderr by default; a machine without a sound card is normal here.
void QuietAlsaErrors(const char*, int, const char*, int, const char*, ...) {}

snd_pcm_format_t AlsaFormat(const SWaveData& wave) {
    if (wave.nEncoding == SWaveData::FLOAT)
        return wave.nBitsPerSample == 64 ? SND_PCM_FORMAT_FLOAT64_LE : SND_PCM_FORMAT_FLOAT_LE;
    switch (wave.nBitsPerSample) {
    case 8:
        return SND_PCM_FORMAT_U8;
    case 16:
        return SND_PCM_FORMAT_S16_LE;
    case 24:
        return SND_PCM_FORMAT_S24_3LE;
    default:
        return SND_PCM_FORMAT_S32_LE;
    }
}

// One playback thread for the process. A request replaces the one before it; the thread checks
// between short blocks of frames whether it has been replaced or stopped.
class CPlayer {
public:
    static CPlayer& Get() {
        // Never destroyed: the thread may still be closing a device while the program exits.
        static CPlayer* s_player = new CPlayer;
        return *s_player;
    }

    // Returns the request's number.
    unsigned long long Submit(std::shared_ptr<const SWaveData> wave) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_request = std::move(wave);
        ++m_nGeneration;
        m_bIdle = false;
        if (!m_thread.joinable())
            m_thread = std::thread([this] { Run(); });
        m_wake.notify_all();
        return m_nGeneration;
    }
    void Stop() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_request.reset();
        ++m_nGeneration;
        m_wake.notify_all();
    }
    // Waits until the request has been played or replaced.
    void WaitFor(unsigned long long nGeneration) {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_done.wait(lock, [&] { return m_nFinished >= nGeneration || m_nGeneration != nGeneration; });
    }
    bool WaitIdle(std::chrono::milliseconds timeout) {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_done.wait_for(lock, timeout, [&] { return m_bIdle; });
    }
    void SetDevice(const char* device) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_device = device != nullptr ? device : "default";
    }
    void SetBlockPause(DWORD ms) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_nBlockPauseMs = ms;
    }
    std::vector<SSoundPlayedForTesting> TakePlayed() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return std::move(m_played);
    }

private:
    CPlayer() { snd_lib_error_set_handler(QuietAlsaErrors); }

    void Run() {
        std::unique_lock<std::mutex> lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [&] { return m_request != nullptr || m_nGeneration != m_nFinished; });
            std::shared_ptr<const SWaveData> wave = std::move(m_request);
            m_request.reset();
            unsigned long long generation = m_nGeneration;
            std::string device = m_device;
            m_nPauseMs = m_nBlockPauseMs;
            lock.unlock();
            if (wave != nullptr)
                Play(*wave, device, generation);
            lock.lock();
            if (generation > m_nFinished)
                m_nFinished = generation;
            if (m_request == nullptr)
                m_bIdle = true;
            m_done.notify_all();
        }
    }

    bool Cancelled(unsigned long long generation) {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_nGeneration != generation;
    }

    void Play(const SWaveData& wave, const std::string& device, unsigned long long generation) {
        snd_pcm_t* pcm = nullptr;
        if (snd_pcm_open(&pcm, device.c_str(), SND_PCM_STREAM_PLAYBACK, 0) < 0)
            return;
        size_t done = 0;
        PlayOn(pcm, wave, generation, done);
        snd_pcm_close(pcm);
        std::lock_guard<std::mutex> lock(m_mutex);
        m_played.push_back({done, wave.GetFrameCount()});
    }

    void PlayOn(snd_pcm_t* pcm, const SWaveData& wave, unsigned long long generation,
                size_t& done) {
        if (snd_pcm_set_params(pcm, AlsaFormat(wave), SND_PCM_ACCESS_RW_INTERLEAVED,
                               (unsigned)wave.nChannels, wave.dwSampleRate, 1, 200000) < 0)
            return;
        const char* data = wave.samples.data();
        const size_t frames = wave.GetFrameCount();
        // About 20 ms a block, so that a new sound cuts this one at once.
        const size_t block = wave.dwSampleRate / 50 + 1;
        bool cancelled = false;
        while (done < frames) {
            if (Cancelled(generation)) {
                cancelled = true;
                break;
            }
            size_t n = frames - done < block ? frames - done : block;
            snd_pcm_sframes_t written =
                snd_pcm_writei(pcm, data + done * wave.nBlockAlign, (snd_pcm_uframes_t)n);
            if (written < 0) {
                if (snd_pcm_recover(pcm, (int)written, 1) < 0)
                    break;
                continue;
            }
            done += (size_t)written;
            if (m_nPauseMs != 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(m_nPauseMs));
        }
        if (!cancelled) {
            // Waits for the device to play what it holds, still listening for a new request.
            auto limit = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
            snd_pcm_sframes_t delay = 0;
            while (!Cancelled(generation) && std::chrono::steady_clock::now() < limit &&
                   snd_pcm_delay(pcm, &delay) == 0 && delay > 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            cancelled = Cancelled(generation);
        }
        if (cancelled)
            snd_pcm_drop(pcm);
        else
            snd_pcm_drain(pcm);
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_done;
    std::thread m_thread;
    std::shared_ptr<const SWaveData> m_request;
    unsigned long long m_nGeneration = 0;
    unsigned long long m_nFinished = 0;
    bool m_bIdle = true;
    std::string m_device = "default";
    DWORD m_nBlockPauseMs = 0;
    DWORD m_nPauseMs = 0; // the playback thread's copy
    std::vector<SSoundPlayedForTesting> m_played;
};

} // namespace

BOOL PlaySound(LPCTSTR pszSound, HMODULE, DWORD fdwSound) {
    if (pszSound == nullptr) {
        CPlayer::Get().Stop();
        return TRUE;
    }
    if ((fdwSound & SND_FILENAME) == 0)
        return FALSE;
    auto wave = std::make_shared<SWaveData>();
    if (!ReadWaveFile(pszSound, *wave))
        return FALSE;
    unsigned long long generation = CPlayer::Get().Submit(std::move(wave));
    if ((fdwSound & SND_ASYNC) == 0)
        CPlayer::Get().WaitFor(generation);
    return TRUE;
}

void SetSoundDeviceForTesting(const char* pszDevice) {
    CPlayer::Get().SetDevice(pszDevice);
}

void SetSoundBlockPauseForTesting(DWORD dwMilliseconds) {
    CPlayer::Get().SetBlockPause(dwMilliseconds);
}

std::vector<SSoundPlayedForTesting> TakeSoundsPlayedForTesting() {
    return CPlayer::Get().TakePlayed();
}

BOOL WaitForSoundIdleForTesting(DWORD dwMilliseconds) {
    return CPlayer::Get().WaitIdle(std::chrono::milliseconds(dwMilliseconds));
}
