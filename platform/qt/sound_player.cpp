// The sound player: a QAudioSink that pulls the clip's samples from a reader over the bytes in
// memory, wrapping around for a loop. The audio device is looked up at the first sound, not at
// start-up, so that a program that never plays a sound never loads the audio back end.
#include "platform/qt/sound_player.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QIODevice>
#include <QMediaDevices>
#include <algorithm>
#include <cstring>

// Hands out a clip's bytes once, or over and over for a loop.
class ClipReader final : public QIODevice {
  public:
    ClipReader(std::span<const unsigned char> bytes, bool looping) : bytes_(bytes), looping_(looping) {}

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override {
        return looping_ ? qint64(1) << 30 : qint64(bytes_.size() - position_) + QIODevice::bytesAvailable();
    }

  protected:
    qint64 readData(char* data, qint64 maxSize) override {
        qint64 copied = 0;
        while (copied < maxSize && !bytes_.empty()) {
            if (position_ == bytes_.size()) {
                if (!looping_) break;
                position_ = 0;
            }
            const size_t chunk = std::min(size_t(maxSize - copied), bytes_.size() - position_);
            std::memcpy(data + copied, bytes_.data() + position_, chunk);
            position_ += chunk;
            copied += qint64(chunk);
        }
        return copied;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

  private:
    std::span<const unsigned char> bytes_;
    bool looping_;
    size_t position_ = 0;
};

namespace {

QAudioFormat formatOf(const WavClip& clip) {
    QAudioFormat format;
    format.setSampleRate(clip.sampleRate);
    format.setChannelCount(clip.channels);
    format.setSampleFormat(clip.bitsPerSample == 8 ? QAudioFormat::UInt8 : QAudioFormat::Int16);
    return format;
}

}  // namespace

SoundPlayer::SoundPlayer() = default;

SoundPlayer::~SoundPlayer() {
    stop();
}

void SoundPlayer::start(const WavClip& clip, bool looping) {
    stop();
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    const QAudioFormat format = formatOf(clip);
    if (device.isNull() || !device.isFormatSupported(format)) return;
    reader_ = std::make_unique<ClipReader>(clip.samples, looping);
    reader_->open(QIODevice::ReadOnly);
    sink_ = std::make_unique<QAudioSink>(device, format);
    sink_->start(reader_.get());
}

void SoundPlayer::stop() {
    if (sink_) sink_->stop();
    sink_.reset();
    reader_.reset();
}

bool SoundPlayer::finished() const {
    return !sink_ || sink_->state() != QAudio::ActiveState;
}
