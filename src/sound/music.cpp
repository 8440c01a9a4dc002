#include "sound/music.h"

#include <cstdio>

#include "data/atomic_file.h"
#include "data/host_file.h"
#include "data/save_folder.h"
#include "platform/audio_file_decoder.h"
#include "platform/encoding.h"
#include "platform/host_path.h"
#include "platform/midi_synth.h"
#include "runtime/errors.h"
#include "runtime/format.h"
#include "shell/engine.h"
#include "sound/cd_tracks.h"
#include "sound/midi_file.h"
#include "sound/midi_player.h"
#include "sound/sound_state.h"
#include "sound/soundfont_search.h"

namespace rs::sound {

namespace {

constexpr const char* kMidiTitle = "MIDI再生";
constexpr const char* kCdTitle = "CD再生";
constexpr const char* kMixerTitle = "音量設定";
constexpr uint64_t kMaxMixerFileBytes = 1 << 16;

// A host path as the log shows it.
std::string shown(const std::string& hostPath) { return data::scriptTextOfHostPath(hostPath); }

// A music failure: an error-log entry (code page 932) and, for a player at a terminal, the
// same in English on standard error.
void report(Engine& e, const char* title, const std::string& logText, const std::string& english) {
    runtime::appendErrorLog(e, title, logText);
    std::fprintf(stderr, "runestage: %s\n", english.c_str());
}

std::string joinedLines(const std::vector<std::string>& places, bool forLog) {
    std::string out;
    for (const std::string& p : places) {
        if (!out.empty()) out += forLog ? "\n" : ", ";
        out += forLog ? shown(p) : p;
    }
    return out;
}

// The synthesizer with the first soundfont that loads; false (reported once) when none does.
bool ensureSynth(Engine& e) {
    MusicState& m = e.sound->music;
    if (m.synthState != 0) return m.synthState == 1;
    m.synthState = -1;
    SoundfontSources sources;
    sources.option = e.app.soundfont.option;
    sources.environment = e.app.soundfont.environment;
    sources.setting = e.app.soundfont.setting;
    sources.gameFolder = e.app.programFolder;
    sources.systemFiles = m.systemSoundfontFiles;
    sources.systemFolders = m.systemSoundfontFolders;
    SoundfontCandidates candidates = soundfontCandidates(sources);
    for (const std::string& path : candidates.files) {
        std::string error;
        std::unique_ptr<platform::MidiSynth> synth =
            platform::openFluidSynth(path, kOutputRate, error);
        if (synth) {
            m.synth = std::move(synth);
            m.soundfontPath = path;
            m.synthState = 1;
            return true;
        }
        report(e, kMidiTitle,
               runtime::formatMessage("サウンドフォントを読み込めません：%s\n(%s)",
                                      shown(path).c_str(), error.c_str()),
               "cannot load the soundfont '" + path + "': " + error);
    }
    if (candidates.files.empty()) {
        report(e, kMidiTitle,
               "サウンドフォントが見つからないのでMIDIの音楽は鳴りません\n探した場所：\n" +
                   joinedLines(candidates.looked, true),
               "no soundfont found, MIDI music is off (looked for " +
                   joinedLines(candidates.looked, false) + "; see --soundfont)");
    }
    return false;
}

// The MIDI sequencer failed to open the piece: the switch turns off.
void midiFailed(Engine& e) {
    e.pumpMessages();
    e.sound->midiSwitch = 0;
}

const char* problemText(MidiFileProblem p) {
    switch (p) {
        case MidiFileProblem::Empty: return "ファイルが空です";
        case MidiFileProblem::TooLarge: return "ファイルが大きすぎます";
        case MidiFileProblem::NotMidi: return "MIDIファイルではありません";
        case MidiFileProblem::BadHeader: return "MIDIファイルのヘッダーが壊れています";
        case MidiFileProblem::TooManyEvents: return "イベントが多すぎます";
        case MidiFileProblem::None: break;
    }
    return "";
}

const char* problemEnglish(MidiFileProblem p) {
    switch (p) {
        case MidiFileProblem::Empty: return "the file is empty";
        case MidiFileProblem::TooLarge: return "the file is too large";
        case MidiFileProblem::NotMidi: return "not a MIDI file";
        case MidiFileProblem::BadHeader: return "the MIDI header is damaged";
        case MidiFileProblem::TooManyEvents: return "too many events";
        case MidiFileProblem::None: break;
    }
    return "";
}

// The piece read from its file; nothing (reported) when it cannot be.
std::shared_ptr<const MidiSequence> readPiece(Engine& e, const std::string& path) {
    std::string error;
    std::optional<std::vector<uint8_t>> bytes =
        data::readWholeFile(path, &error, kMaxMidiFileBytes);
    MidiFileProblem problem = MidiFileProblem::TooLarge;
    auto piece = std::make_shared<MidiSequence>();
    if (bytes) problem = readMidiFile(bytes->data(), bytes->size(), *piece);
    if (bytes && problem == MidiFileProblem::None) return piece;
    std::string why = bytes ? problemText(problem) : error;
    std::string english = bytes ? problemEnglish(problem) : error;
    report(e, kMidiTitle,
           runtime::formatMessage("MIDIファイルを再生できません：%s\n(%s)", shown(path).c_str(),
                                  why.c_str()),
           "cannot play the MIDI file '" + path + "': " + english);
    return nullptr;
}

void closeMidi(MusicState& m, Mixer& mixer) {
    if (m.midiVoice) mixer.remove(m.midiVoice);
    m.midiVoice = 0;
}

void closeCd(MusicState& m, Mixer& mixer) {
    if (m.cdVoice) mixer.remove(m.cdVoice);
    m.cdVoice = 0;
}

std::string mixerFilePath(const Engine& e) {
    return platform::joinHostPath(data::saveFolderPath(e.app.userDataFolder, e.app.gameKey),
                                  "mixer.ini");
}

void applyLines(Engine& e) {
    const MixerLines& lines = e.sound->music.lines;
    for (int32_t i = 0; i < kMixerLineCount; ++i)
        e.sound->mixer.setLineGain(static_cast<MixerLine>(i),
                                   lines.lines[static_cast<size_t>(i)].gain());
}

void saveMixerLines(Engine& e) {
    MusicState& m = e.sound->music;
    std::string path = mixerFilePath(e);
    std::string text = mixerLinesText(m.lines);
    bool ok = data::createFoldersFor(path, e.paths) &&
              data::replaceFile(path, std::span(reinterpret_cast<const uint8_t*>(text.data()),
                                                text.size())) == data::WriteOutcome::Ok;
    if (ok || m.linesSaveFailed) return;
    m.linesSaveFailed = true;
    report(e, kMixerTitle,
           runtime::formatMessage("音量の設定を保存できません：%s", shown(path).c_str()),
           "cannot save the mixer volumes to '" + path + "'");
}

}  // namespace

MusicState::MusicState()
    : systemSoundfontFiles(defaultSystemSoundfontFiles()),
      systemSoundfontFolders(defaultSystemSoundfontFolders()) {}

MusicState::~MusicState() = default;

Mixer::VoiceId playMidi(Engine& e, const std::string& path, int32_t loop) {
    SoundState& s = *e.sound;
    MusicState& m = s.music;
    m.midiPath = path;
    // Kept before the switch is looked at: turning the switch on replays the last request as
    // it was asked for.
    m.midiLoop = loop;
    if (s.midiSwitch == 0) return 0;
    if (s.deviceState == 0) initSoundDevice(e);
    if (s.deviceState != 1) return 0;
    if (!ensureSynth(e)) {
        midiFailed(e);
        return 0;
    }
    std::shared_ptr<const MidiSequence> piece = readPiece(e, path);
    if (!piece) {
        midiFailed(e);
        return 0;
    }
    closeMidi(m, s.mixer);
    m.synth->reset();
    m.midiVoice =
        s.mixer.add(std::make_shared<MidiPlayer>(m.synth, piece, loop == 1), MixerLine::Synth);
    e.pumpMessages();
    return m.midiVoice;
}

void stopMidi(Engine& e) {
    closeMidi(e.sound->music, e.sound->mixer);
    e.pumpMessages();
}

void replayMidi(Engine& e) {
    if (e.sound->midiRequested != 0) playMidi(e, e.sound->music.midiPath, e.sound->music.midiLoop);
}

Mixer::VoiceId playCdTrack(Engine& e, int32_t repeat, int32_t track) {
    SoundState& s = *e.sound;
    MusicState& m = s.music;
    if (m.cdVoice) stopCd(e);
    std::string cdFolder =
        platform::cp932ToUtf8Strict(e.app.cdFolderName).value_or(e.app.cdFolderName);
    std::map<int32_t, std::string> tracks =
        findCdTracks({e.app.programFolder, e.app.dataFolderPrefix}, cdFolder);
    // No track at all: as without a CD.
    if (tracks.empty()) return 0;
    m.cdTrackCount = tracks.rbegin()->first;
    m.cdTrack = track;
    auto found = tracks.find(track);
    if (found == tracks.end()) {
        report(e, kCdTitle, runtime::formatMessage("CDのトラック%dが見つかりません", track),
               "no file for CD track " + std::to_string(track));
        return 0;
    }
    if (s.deviceState == 0) initSoundDevice(e);
    if (s.deviceState != 1) return 0;
    std::string error;
    std::unique_ptr<platform::AudioFileDecoder> decoder =
        platform::openAudioFile(found->second, error);
    if (!decoder) {
        report(e, kCdTitle,
               runtime::formatMessage("CDのトラックを再生できません：%s\n(%s)",
                                      shown(found->second).c_str(), error.c_str()),
               "cannot play the CD track '" + found->second + "': " + error);
        return 0;
    }
    m.cdVoice = s.mixer.add(std::make_shared<CdTrackSource>(std::move(decoder), repeat != 0),
                            MixerLine::Cd);
    e.pumpMessages();
    m.cdRepeatTrack = repeat != 0 ? track : -1;
    return m.cdVoice;
}

void stopCd(Engine& e) {
    MusicState& m = e.sound->music;
    if (!m.cdVoice) return;
    closeCd(m, e.sound->mixer);
    e.pumpMessages();
}

void loadMixerLines(Engine& e) {
    MusicState& m = e.sound->music;
    if (m.linesLoaded) return;
    m.linesLoaded = true;
    std::optional<std::vector<uint8_t>> bytes =
        data::readWholeFile(mixerFilePath(e), nullptr, kMaxMixerFileBytes);
    if (bytes) {
        m.lines = parseMixerLines(
            std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
    }
    applyLines(e);
}

int32_t mixerVolume(Engine& e, int32_t line, int32_t value) {
    loadMixerLines(e);
    MusicState& m = e.sound->music;
    MixerLines before = m.lines;
    int32_t result = m.lines.apply(line, value);
    if (m.lines != before) {
        applyLines(e);
        saveMixerLines(e);
    }
    return result;
}

void serviceMusic(Engine& e) {
    MusicState& m = e.sound->music;
    Mixer& mixer = e.sound->mixer;
    if (m.midiVoice && !mixer.playing(m.midiVoice)) m.midiVoice = 0;
    if (m.cdVoice && !mixer.playing(m.cdVoice)) m.cdVoice = 0;
}

void endMusic(Engine& e) {
    closeMidi(e.sound->music, e.sound->mixer);
    closeCd(e.sound->music, e.sound->mixer);
}

}  // namespace rs::sound
