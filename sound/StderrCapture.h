// Holds back what libraries write to stderr while probing for an output device.
#pragma once

#include <string>

// While alive, stderr goes to a temporary file. Release() puts stderr back and returns
// what was written meanwhile (the destructor restores it too, discarding the text).
// On a machine without a sound card ALSA and OpenAL print a dozen lines of their own;
// the sound service replaces them with one line, and passes them on when the device
// opens after all.
class StderrCapture {
public:
  StderrCapture();
  ~StderrCapture();
  StderrCapture(const StderrCapture&) = delete;
  StderrCapture& operator=(const StderrCapture&) = delete;

  std::string Release();

private:
  int savedFd = -1;
  int tempFd = -1;
};
