// The synthesiser's sound description: a text of one setting per line,
// parsed into voices of timed notes.
//
//   rate 44100                 samples per second (8000 to 192000)
//   channels 2                 1 (mono) or 2 (stereo)
//   tempo 100                  beats per minute
//   volume 0.8                 master gain
//   loop 8 4                   a music loop of 8 bars of 4 beats: the file is
//                              exactly that long and every voice must have
//                              fallen silent by its end
//   voice NAME                 starts a voice; the keys below belong to it
//   wave sine                  sine, square, triangle, saw or noise
//   level 0.5                  the voice's gain
//   pan -0.3                   -1 left to 1 right (stereo only)
//   envelope A D S R           attack, decay and release in seconds,
//                              sustain level 0 to 1
//   glide -12                  semitones each note slides over its length
//   notes C4:1 E4 G4:2 r:1     pitch[:beats]; a pitch is a note name with
//                              octave (C4, F#3, Bb2), a frequency (440hz) or
//                              a rest (r); a length carries on to the next
//                              notes; "|" between bars is ignored
//   repeat 4 C2:1 G2:1         the notes that follow, that many times
//
// A '#' at the start of a word starts a comment. Notes of a voice follow
// each other from beat 0; every note starts at the beginning of its wave and
// fades in and out over at least a millisecond, so no note clicks.

#pragma once

#include <string>
#include <vector>

enum class ESynthWave
{
    Sine,
    Square,
    Triangle,
    Saw,
    Noise
};

struct TSynthNote
{
    double startBeat = 0.0;
    double beats = 0.0;
    double frequency = 0.0;  // Hz at the note's start
    int line = 0;            // where the note was written
};

struct TSynthVoice
{
    std::string name;
    int line = 0;
    ESynthWave wave = ESynthWave::Sine;
    double level = 0.5;
    double pan = 0.0;
    double attack = 0.005;
    double decay = 0.05;
    double sustain = 0.8;
    double release = 0.05;
    double glide = 0.0;
    std::vector<TSynthNote> notes;
    double endBeat = 0.0;  // where the next note starts
};

struct TSynthScore
{
    int rate = 22050;
    int channels = 1;
    double tempo = 120.0;
    double volume = 1.0;
    int loopBars = 0;  // 0: not a loop
    int beatsPerBar = 4;
    int loopLine = 0;
    std::vector<TSynthVoice> voices;
};

struct TSynthError
{
    int line = 0;  // 0 when the fault is not on one line
    std::string message;
};

// Parses a description. False with the first faulty line and what is wrong
// with it; score is then partly filled.
bool ParseSynthScore(const std::string& text, TSynthScore& score, TSynthError& error);
