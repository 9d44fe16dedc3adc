// The multimedia stand-in: the sound library opened on a thread of its own.
//
// Opening the audio device (on a machine without sound SDL tries
// PulseAudio and ALSA before the silent driver) and reading the soundfont
// for a MIDI piece take longer than everything else the first window
// waits for. Here they happen beside it: the back-end below is handed to
// the MCI devices at once, the device is opened on its worker thread, and
//
// - the music calls (load, play, halt, free) are queued and carried out on
//   the worker in the order they were made, so a piece plays as soon as
//   its soundfont is read and the caller never waits for it;
// - the wave calls (decoding a file, playing it on a channel) wait until
//   the device is open and then run on the caller's thread, as they would
//   without the worker: a wave is decoded when the program asks for it,
//   and its length is known at once.
//
// Nothing the devices answer depends on the worker's progress: replies,
// error codes and device states come out as with the back-end opened in
// place; only when the music is heard can move.
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <unordered_map>

#include "platform/audio_backend.h"
#include "platform/measure.h"

namespace winmm {
namespace {

class WorkerBackend final : public AudioBackend {
public:
    explicit WorkerBackend(std::function<std::unique_ptr<AudioBackend>()> open)
        : worker_([this, open = std::move(open)] { Run(open); }) {}

    ~WorkerBackend() override {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        changed_.notify_all();
        worker_.join();  // after the last queued music call
    }

    std::string Name() const override { return Opened().Name(); }

    bool LoadChunkFile(const std::string& linux_path, int* id, uint64_t* length_us,
                       std::string* error) override {
        return Opened().LoadChunkFile(linux_path, id, length_us, error);
    }
    bool LoadChunkWav(const std::vector<unsigned char>& wav, int* id, uint64_t* length_us,
                      std::string* error) override {
        return Opened().LoadChunkWav(wav, id, length_us, error);
    }
    void FreeChunk(int id) override { Opened().FreeChunk(id); }
    void PlayChunk(int channel, int id) override { Opened().PlayChunk(channel, id); }
    void HaltChannel(int channel) override { Opened().HaltChannel(channel); }
    void EnsureChannels(int count) override { Opened().EnsureChannels(count); }

    // A piece gets its number here; the worker reads it into the sound
    // library. One that cannot be played there keeps time silently, as in
    // place, and is named on standard error.
    bool LoadMusic(const std::string& linux_path, int* id, std::string*) override {
        const int piece = next_piece_++;
        *id = piece;
        Queue([this, piece, linux_path] {
            int loaded = -1;
            std::string error;
            if (!backend_->LoadMusic(linux_path, &loaded, &error)) {
                ReportSoundFileOnce(linux_path, "cannot be played here (" + error + "); it keeps time silently");
                loaded = -1;
            }
            pieces_[piece] = loaded;
        });
        return true;
    }
    void PlayMusic(int id) override {
        platform::measure::Note(platform::measure::Mark::FirstMusicAsked);
        Queue([this, id] {
            if (const int loaded = Loaded(id); loaded >= 0) backend_->PlayMusic(loaded);
            platform::measure::Note(platform::measure::Mark::FirstMusicStarted);
        });
    }
    void HaltMusic() override {
        Queue([this] { backend_->HaltMusic(); });
    }
    void FreeMusic(int id) override {
        Queue([this, id] {
            if (const int loaded = Loaded(id); loaded >= 0) backend_->FreeMusic(loaded);
            pieces_.erase(id);
        });
    }

private:
    // The opened back-end, once the worker has it.
    AudioBackend& Opened() const {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return backend_ != nullptr; });
        return *backend_;
    }

    void Queue(std::function<void()> call) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            calls_.push_back(std::move(call));
        }
        changed_.notify_all();
    }

    int Loaded(int piece) const {
        auto it = pieces_.find(piece);
        return it == pieces_.end() ? -1 : it->second;
    }

    void Run(const std::function<std::unique_ptr<AudioBackend>()>& open) {
        std::unique_ptr<AudioBackend> opened = open();
        {
            std::lock_guard<std::mutex> lock(mutex_);
            backend_ = std::move(opened);
        }
        changed_.notify_all();
        for (;;) {
            std::function<void()> call;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                changed_.wait(lock, [this] { return stopping_ || !calls_.empty(); });
                if (calls_.empty()) return;  // stopping, and nothing left
                call = std::move(calls_.front());
                calls_.pop_front();
            }
            call();
        }
    }

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::unique_ptr<AudioBackend> backend_;      // set once by the worker
    std::deque<std::function<void()>> calls_;    // music calls not yet made
    bool stopping_ = false;
    std::unordered_map<int, int> pieces_;        // worker only: our number -> the library's (-1: silent)
    int next_piece_ = 1;                         // caller only
    std::thread worker_;                         // last: starts once the rest is ready
};

}  // namespace

std::unique_ptr<AudioBackend> MakeWorkerBackend(std::function<std::unique_ptr<AudioBackend>()> open) {
    return std::make_unique<WorkerBackend>(std::move(open));
}

}  // namespace winmm
