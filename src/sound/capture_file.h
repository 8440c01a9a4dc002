// The audio capture: everything the mixer made, written as a 44100 Hz 16-bit stereo WAVE file.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace rs::sound {

class CaptureFile {
  public:
    CaptureFile() = default;
    ~CaptureFile();
    CaptureFile(const CaptureFile&) = delete;
    CaptureFile& operator=(const CaptureFile&) = delete;

    // Creates the file (replacing one of that name). False with a reason when it cannot.
    bool open(const std::string& path, std::string& error);
    bool isOpen() const { return file_ != nullptr; }
    // Appends frames (interleaved left, right). A WAVE file holds at most 4 GB of samples
    // (about 6.7 hours); frames beyond are not written.
    void write(const int16_t* frames, int64_t count);
    void writeSilence(int64_t count);
    // Writes the sizes into the header and closes the file. False with a reason when anything
    // could not be written.
    bool close(std::string& error);
    int64_t frames() const { return frames_; }

  private:
    std::FILE* file_ = nullptr;
    std::string path_;
    int64_t frames_ = 0;
    bool failed_ = false;
};

}  // namespace rs::sound
