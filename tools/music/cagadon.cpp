#include "tools/music/cagadon.h"

#include <array>
#include <sstream>
#include <stdexcept>

#include "tools/music/chip_samples.h"

namespace {

// Channels, left to right in the mix.
enum Channel { lead, echo, chords, bass, drums, hats, channelCount };
// Samples, 1-based as patterns name them.
enum Sample { square = 1, pluck, triangle, kick, snare, hat };

constexpr int rowsPerBar = 16;
constexpr int barsPerPattern = 4;
constexpr int echoDelay = 3;  // rows

// A chord as three notes, low to high, plus the bass root.
struct Chord {
  std::array<const char*, 3> tones;
  const char* root;
};
const Chord C{{"C5", "E5", "G5"}, "C4"};
const Chord G{{"B4", "D5", "G5"}, "G3"};
const Chord Am{{"A4", "C5", "E5"}, "A3"};
const Chord F{{"A4", "C5", "F5"}, "F3"};
const Chord Em{{"B4", "E5", "G5"}, "E3"};

// Four bars of lead, each 16 rows of: a note, "." (hold) or "^" (cut); and the chords under them.
struct Phrase {
  std::array<const char*, barsPerPattern> melody;
  std::array<Chord, barsPerPattern> harmony;
  bool bridge;  // lighter drums, chords in sixteenths
};

const Phrase verse1{{"E5 . G5 . C6 . B5 . C6 . G5 . E5 . G5 .",  //
                     "D5 . G5 . B5 . A5 . G5 . . . D5 . . .",  //
                     "C5 . E5 . A5 . G5 . A5 . C6 . B5 . A5 .",  //
                     "A5 . . . G5 . F5 . E5 . . . ^ . . ."},
                    {C, G, Am, F},
                    false};
const Phrase verse2{{"E5 . G5 . C6 . . . D6 . C6 . B5 . C6 .",  //
                     "B5 . . . G5 . . . D5 . G5 . B5 . D6 .",  //
                     "C6 . A5 . F5 . A5 . C6 . D6 . C6 . A5 .",  //
                     "G5 . . . . . . . B5 . . . D6 . . ."},
                    {C, G, F, G},
                    false};
const Phrase chorus1{{"C6 . . C6 . . A5 . C6 . . D6 . . C6 .",  //
                      "B5 . . G5 . . D5 . G5 . . A5 . . B5 .",  //
                      "B5 . . B5 . . G5 . B5 . . C6 . . B5 .",  //
                      "A5 . . . E5 . . . A5 . B5 . C6 . . ."},
                     {F, G, Em, Am},
                     false};
const Phrase chorus2{{"C6 . . C6 . . A5 . C6 . . D6 . . C6 .",  //
                      "D6 . . B5 . . G5 . D6 . . E6 . . D6 .",  //
                      "E6 . . . C6 . . . G5 . . . E5 . G5 .",  //
                      "C6 . . . . . . . ^ . . . . . . ."},
                     {F, G, C, C},
                     false};
const Phrase bridge{{"A5 . . . . . C6 . . . E6 . . . . .",  //
                     "F6 . . . E6 . . . C6 . . . A5 . . .",  //
                     "G5 . . . . . C6 . . . E6 . . . G6 .",  //
                     "F6 . E6 . D6 . . . B5 . . . G5 . . ."},
                    {Am, F, C, G},
                    true};

// A note in tracker notation: "C5", "F#4", "Bb3" (C-5 is middle C); itNoNote otherwise.
std::int16_t parseNote(const std::string& name) {
  static constexpr std::array<int, 7> semitone{9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
  if (name.size() < 2 || name.size() > 3 || name[0] < 'A' || name[0] > 'G') return itNoNote;
  int n = semitone[static_cast<std::size_t>(name[0] - 'A')];
  std::size_t at = 1;
  if (name.size() == 3) {
    if (name[1] == '#') {
      ++n;
    } else if (name[1] == 'b') {
      --n;
    } else {
      return itNoNote;
    }
    at = 2;
  }
  if (name[at] < '0' || name[at] > '9') return itNoNote;
  n += 12 * (name[at] - '0');
  return n >= 0 && n <= 119 ? static_cast<std::int16_t>(n) : itNoNote;
}

std::int16_t note(const std::string& name) {
  const std::int16_t n = parseNote(name);
  if (n == itNoNote) throw std::logic_error("bad note in the score: " + name);
  return n;
}

void put(ItPattern& p, int row, int channel, std::int16_t n, Sample s, int volume) {
  ItCell& c = p.at(row, channel);
  c.note = n;
  c.sample = static_cast<std::uint8_t>(s);
  c.volume = static_cast<std::int16_t>(volume);
}

void cut(ItPattern& p, int row, int channel) { p.at(row, channel).note = itNoteCut; }

void writeMelody(ItPattern& p, const Phrase& phrase) {
  for (int bar = 0; bar < barsPerPattern; ++bar) {
    std::istringstream tokens(phrase.melody[static_cast<std::size_t>(bar)]);
    std::string token;
    for (int step = 0; step < rowsPerBar; ++step) {
      if (!(tokens >> token)) throw std::logic_error("a bar of the score is short");
      const int row = bar * rowsPerBar + step;
      if (token == ".") continue;
      if (token == "^") {
        cut(p, row, lead);
      } else {
        put(p, row, lead, note(token), square, 44);
      }
      // The echo repeats the lead softly a little later; the pattern's end swallows the tail.
      if (row + echoDelay < p.rows) {
        if (token == "^") {
          cut(p, row + echoDelay, echo);
        } else {
          put(p, row + echoDelay, echo, note(token), square, 16);
        }
      }
    }
    if (tokens >> token) throw std::logic_error("a bar of the score is long");
  }
}

void writeChords(ItPattern& p, const Phrase& phrase) {
  // Up and down the chord: root, third, fifth, octave, fifth, third, root, third.
  static constexpr std::array<int, 8> walk{0, 1, 2, 3, 2, 1, 0, 1};
  const int step = phrase.bridge ? 1 : 2;
  for (int bar = 0; bar < barsPerPattern; ++bar) {
    const Chord& chord = phrase.harmony[static_cast<std::size_t>(bar)];
    for (int i = 0; i * step < rowsPerBar; ++i) {
      const int k = walk[static_cast<std::size_t>(i % 8)];
      const std::int16_t n = k == 3 ? static_cast<std::int16_t>(note(chord.tones[0]) + 12)
                                    : note(chord.tones[static_cast<std::size_t>(k)]);
      put(p, bar * rowsPerBar + i * step, chords, n, pluck, i % 4 == 0 ? 34 : 26);
    }
  }
}

void writeBass(ItPattern& p, const Phrase& phrase) {
  // Bouncing eighths: root, root, octave, root, root, octave, fifth, octave; each one short.
  static constexpr std::array<int, 8> interval{0, 0, 12, 0, 0, 12, 7, 12};
  for (int bar = 0; bar < barsPerPattern; ++bar) {
    const std::int16_t root = note(phrase.harmony[static_cast<std::size_t>(bar)].root);
    for (int i = 0; i < 8; ++i) {
      const int row = bar * rowsPerBar + 2 * i;
      put(p, row, bass, static_cast<std::int16_t>(root + interval[static_cast<std::size_t>(i)]), triangle, 52);
      cut(p, row + 1, bass);
    }
  }
}

void writeDrums(ItPattern& p, const Phrase& phrase) {
  const std::int16_t c5 = itMiddleC;
  for (int bar = 0; bar < barsPerPattern; ++bar) {
    const int at = bar * rowsPerBar;
    const bool lastBar = bar == barsPerPattern - 1;
    put(p, at, drums, c5, kick, 64);
    put(p, at + 4, drums, c5, snare, phrase.bridge ? 30 : 44);
    put(p, at + 8, drums, c5, kick, 60);
    if (!phrase.bridge) put(p, at + 10, drums, c5, kick, 40);
    put(p, at + 12, drums, c5, snare, phrase.bridge ? 30 : 44);
    if (lastBar && !phrase.bridge) {  // a small fill into the next part
      put(p, at + 13, drums, c5, snare, 24);
      put(p, at + 14, drums, c5, snare, 34);
      put(p, at + 15, drums, c5, snare, 44);
    }
    for (int i = 0; i < rowsPerBar; i += 2) put(p, at + i, hats, c5, hat, i % 4 == 0 ? 20 : 32);
  }
}

ItPattern arrange(const Phrase& phrase) {
  ItPattern p(rowsPerBar * barsPerPattern, channelCount);
  writeMelody(p, phrase);
  writeChords(p, phrase);
  writeBass(p, phrase);
  writeDrums(p, phrase);
  return p;
}

}  // namespace

ItModule composeCagadon() {
  ItModule m;
  m.name = "Cagadon";
  m.channels = channelCount;
  m.speed = 6;
  m.tempo = 140;  // a row lasts 6 ticks of 2.5 / 140 s: 64 rows take 6.9 s
  m.mixVolume = 48;
  m.channelPan = {24, 44, 40, 32, 32, 38};
  m.channelVolume = {64, 64, 64, 64, 64, 64};

  m.samples.push_back(pulseWave("Square lead", 0.5, 0.5));
  m.samples.push_back(pluckedPulse("Plucked pulse", 0.25, 0.5, 0.35));
  m.samples.push_back(triangleWave("Triangle bass", 0.9));
  m.samples.push_back(kickDrum("Kick"));
  m.samples.push_back(snareDrum("Snare"));
  m.samples.push_back(hiHat("Hi-hat"));

  for (const Phrase* phrase : {&verse1, &verse2, &chorus1, &chorus2, &bridge}) m.patterns.push_back(arrange(*phrase));
  // verse, verse, chorus, chorus, bridge, verse, chorus, chorus: 8 × 6.9 s = 55 s, then again
  m.orders = {0, 1, 2, 3, 4, 0, 2, 3};
  return m;
}
