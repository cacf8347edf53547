// Writes short test sounds as Ogg Vorbis files with libvorbisenc.
#pragma once

#include <string>

// A sine tone of `hz` at `amplitude` (0..1) lasting `seconds`, in `channels` identical
// channels. Returns false if the file could not be written.
bool WriteOggTone(const std::string& path, float hz, float seconds, int sampleRate = 44100,
                  float amplitude = 0.25f, int channels = 1);

// Pseudo-random noise at `amplitude` lasting `seconds`, mono: it compresses badly, so
// the file has many audio pages (a pure tone fits in one or two).
bool WriteOggNoise(const std::string& path, float seconds, int sampleRate = 44100, float amplitude = 0.25f);

// A fresh temporary directory, and its removal with everything in it.
std::string MakeTempDir(const std::string& prefix);
void RemoveDir(const std::string& dir);
