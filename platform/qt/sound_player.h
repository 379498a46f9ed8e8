// The desktop program's sound: one PCM clip at a time through Qt Multimedia, played once or looped.
// Without an audio output the player plays nothing but reports every clip as finished at once, so
// the caller's timing (which waits out a clip's length itself) stays the same.
#pragma once

#include <memory>

#include "resources/wav_clip.h"

class QAudioSink;
class ClipReader;

class SoundPlayer {
  public:
    SoundPlayer();
    ~SoundPlayer();
    SoundPlayer(const SoundPlayer&) = delete;
    SoundPlayer& operator=(const SoundPlayer&) = delete;

    // Ends the clip playing, if any, and starts this one; returns at once. The clip's bytes must
    // stay valid until the next start or stop (the embedded resources always do).
    void start(const WavClip& clip, bool looping);

    // Ends the clip playing, if any.
    void stop();

    // True when nothing is playing any more: the clip has run out, was stopped, could not be
    // started, or there is no audio output.
    bool finished() const;

  private:
    std::unique_ptr<ClipReader> reader_;
    std::unique_ptr<QAudioSink> sink_;
};
