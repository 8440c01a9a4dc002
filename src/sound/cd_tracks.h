// CD audio from ripped tracks. A game's CD tracks are kept as files the way players of other
// engines keep them: track NN (two digits, 01-99) is "trackNN", "TrackNN" or "NN" with the
// extension ogg, flac, wav, mp3 or opus, in the folder "cd", "CD", the game's CD folder name, or
// directly in the game folder or the -path folder. The first match in that order (folders of
// the game folder before the -path folder's, then the folder, the name form, the extension)
// is the track. The disc's last track is the highest number found.
//
// A track plays from its start to its end (a track before the last played up to the start of
// the next one, which is the end of its file), through the audio decoding door, on the CD line.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/audio_file_decoder.h"
#include "sound/mixer.h"

namespace rs::sound {

// Track numbers to host paths. `bases` are searched in order; `cdFolderName` is a host folder
// name inside each (skipped when empty or when it would lead out of the base).
std::map<int32_t, std::string> findCdTracks(const std::vector<std::string>& bases,
                                            const std::string& cdFolderName);

// A track playing: its decoded frames, and with `repeat` the track again from its start each
// time it ends (a track that yields no sound at all ends instead). Without it the voice ends
// with the track.
class CdTrackSource final : public MixerSource {
  public:
    CdTrackSource(std::unique_ptr<platform::AudioFileDecoder> decoder, bool repeat)
        : decoder_(std::move(decoder)), repeat_(repeat) {}

    int32_t read(int16_t* out, int32_t frames) override;

    int32_t repeats() const { return repeats_; }

  private:
    std::unique_ptr<platform::AudioFileDecoder> decoder_;
    bool repeat_;
    bool soundSinceStart_ = false;
    int32_t repeats_ = 0;
};

}  // namespace rs::sound
