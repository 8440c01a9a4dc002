#include "snd/sound_tool.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>

#include "snd/demo_sounds.h"
#include "snd/ogg_encode.h"
#include "sound/mixer.h"
#include "sound/sound_stream.h"

namespace rs::tools {

namespace {

using sound::SoundStream;
using sound::StreamType;

// Opens a stream on the bytes as the engine does; false with a reason when it would not play.
bool openOffline(SoundStream& s, const std::string& name, const std::string& bytes,
                 std::string& error) {
    s.name = name;
    std::string firstLog;
    s.log = [&firstLog](std::string_view title, std::string_view text) {
        if (firstLog.empty()) firstLog = std::string(title) + " " + std::string(text);
    };
    auto data = std::make_unique<uint8_t[]>(std::max<size_t>(bytes.size(), 1));
    std::memcpy(data.get(), bytes.data(), bytes.size());
    int32_t code = sound::takeStreamData(s, std::move(data), static_cast<int32_t>(bytes.size()));
    s.log = nullptr;
    if (code != 0) {
        error = "the Ogg Vorbis data does not decode (code " + std::to_string(code) +
                (firstLog.empty() ? "" : ", " + firstLog) + ")";
        return false;
    }
    if (s.type != StreamType::OggVorbis && !sound::findWaveSamples(s)) {
        error = "not a WAVE file the engine plays: no \"fmt \" or no \"data\"";
        return false;
    }
    return true;
}

bool readFile(const std::string& path, std::string& bytes, std::ostream& err) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        err << "rs-snd: cannot read '" << path << "'\n";
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

bool writeFile(const std::string& path, const std::string& bytes, std::ostream& err) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) {
        err << "rs-snd: cannot write '" << path << "'\n";
        return false;
    }
    return true;
}

const char* kUsage =
    "Usage: rs-snd info FILE                          type, format, length and loop points\n"
    "       rs-snd render FILE OUT.wav SECONDS [--loop]  what a stream of FILE plays, as WAVE\n"
    "       rs-snd demo-music OUT.ogg                 the demo game's music\n"
    "       rs-snd demo-effect OUT.wav                the demo game's sound effect\n"
    "A name holding \".ogg\" is Ogg Vorbis, any other a WAVE file, as in the engine.\n";

}  // namespace

bool renderStream(const std::string& name, const std::string& bytes, int64_t frames, bool loop,
                  int32_t gain, std::vector<int16_t>& out, std::string& error) {
    SoundStream s;
    if (!openOffline(s, name, bytes, error)) return false;
    std::optional<sound::PcmFormat> format = sound::ringFormat(s);
    if (!format) {
        error = "a PCM format no sound card plays";
        return false;
    }
    s.loop = loop;
    s.gain = gain;
    s.buffer = std::make_shared<sound::SoundBuffer>(*format, sound::kRingBytes, true);
    sound::Mixer mixer;
    sound::startStreaming(s, mixer, false);
    out.assign(static_cast<size_t>(frames) * 2, 0);
    for (int64_t done = 0; done < frames;) {
        int32_t n = static_cast<int32_t>(std::min<int64_t>(frames - done, 1024));
        mixer.render(out.data() + done * 2, n);
        done += n;
        sound::serviceStream(s);
    }
    sound::endStreaming(s, mixer);
    return true;
}

bool describeSound(const std::string& name, const std::string& bytes, std::ostream& out,
                   std::string& error) {
    SoundStream s;
    if (!openOffline(s, name, bytes, error)) return false;
    if (s.type == StreamType::OggVorbis) {
        const sound::LoopPoints& loops = s.decoder->commentLoopPoints();
        out << "Ogg Vorbis, " << s.decoder->channels() << " channel(s), " << s.decoder->rate()
            << " Hz (played at 44100 Hz)\n";
        out << "length: " << s.duration << " ms (last granule position "
            << sound::lastGranule(s.data.get(), s.size) << " / 44100)\n";
        if (loops.end < 0) {
            out << "loop: none (LOOPSTART " << loops.start << ")\n";
        } else {
            out << "loop: jumps at sample " << loops.end << " back to sample " << loops.start;
            if (s.decoder->loopPoints().end < 0)
                out << " (not played: the start is not before the end)";
            out << "\n";
        }
    } else {
        out << "WAVE, " << (s.type == StreamType::Wave ? "PCM" : "not PCM (plays silence)") << ", "
            << s.waveFormat.channels << " channel(s), " << s.waveFormat.rate << " Hz, "
            << s.waveFormat.bits << " bits\n";
        out << "length: " << s.duration << " ms\n";
        out << "samples: " << s.pcmSize << " bytes from offset " << s.pcmOffset << "\n";
    }
    return true;
}

int runSoundTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) {
        err << kUsage;
        return 2;
    }
    const std::string& command = args[0];
    std::string bytes;
    std::string error;
    if (command == "info" && args.size() == 2) {
        if (!readFile(args[1], bytes, err)) return 1;
        if (!describeSound(args[1], bytes, out, error)) {
            err << "rs-snd: " << args[1] << ": " << error << "\n";
            return 1;
        }
        return 0;
    }
    if (command == "render" && (args.size() == 4 || (args.size() == 5 && args[4] == "--loop"))) {
        char* end = nullptr;
        double seconds = std::strtod(args[3].c_str(), &end);
        if (!end || *end != '\0' || !(seconds > 0) || seconds > 3600) {
            err << "rs-snd: SECONDS must be a number from 0 to 3600, not '" << args[3] << "'\n";
            return 2;
        }
        if (!readFile(args[1], bytes, err)) return 1;
        std::vector<int16_t> samples;
        if (!renderStream(args[1], bytes, static_cast<int64_t>(seconds * 44100), args.size() == 5,
                          1, samples, error)) {
            err << "rs-snd: " << args[1] << ": " << error << "\n";
            return 1;
        }
        return writeFile(args[2], makeWave16(samples, 2, 44100), err) ? 0 : 1;
    }
    if (command == "demo-music" && args.size() == 2) {
        return writeFile(args[1], demoMusicFile(), err) ? 0 : 1;
    }
    if (command == "demo-effect" && args.size() == 2) {
        return writeFile(args[1], demoEffectFile(), err) ? 0 : 1;
    }
    err << kUsage;
    return 2;
}

}  // namespace rs::tools
