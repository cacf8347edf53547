// Holds back what libraries write to stderr while probing for an output device.
#include "sound/StderrCapture.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

StderrCapture::StderrCapture() {
  std::fflush(stderr);
  FILE* temp = std::tmpfile();
  if (!temp) return;  // nothing held back, nothing lost
  tempFd = dup(fileno(temp));
  std::fclose(temp);  // the dup keeps the unlinked file alive
  if (tempFd < 0) return;
  savedFd = dup(STDERR_FILENO);
  if (savedFd < 0 || dup2(tempFd, STDERR_FILENO) < 0) {
    if (savedFd >= 0) close(savedFd);
    close(tempFd);
    savedFd = tempFd = -1;
  }
}

StderrCapture::~StderrCapture() { Release(); }

std::string StderrCapture::Release() {
  std::string text;
  if (savedFd < 0) return text;
  std::fflush(stderr);
  dup2(savedFd, STDERR_FILENO);
  close(savedFd);
  savedFd = -1;
  if (lseek(tempFd, 0, SEEK_SET) == 0) {
    char chunk[4096];
    ssize_t n;
    while ((n = read(tempFd, chunk, sizeof chunk)) > 0) text.append(chunk, static_cast<size_t>(n));
  }
  close(tempFd);
  tempFd = -1;
  return text;
}
