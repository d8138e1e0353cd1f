// The music: a FastTracker 2 extended module with synthesized instruments and a tune in
// A minor written out below as small note tables. Ten channels: kick, snare, hi-hat, bass,
// lead, three pad voices, an arpeggio pluck and an echo of the lead.
#include "common.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <iterator>
#include <map>
#include <stdexcept>

namespace mk {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kRate = 44100;
constexpr int kRows = 64;
constexpr int kChannels = 10;
constexpr int kSpeed = 6;   // ticks per row
constexpr int kTempo = 132;  // BPM: a row is a sixteenth note
constexpr int kKeyOff = 97;

enum Channel { kKick, kSnare, kHat, kBass, kLead, kPad1, kPad2, kPad3, kArp, kEcho };
enum Instrument { iKick = 1, iSnare, iHat, iOpenHat, iBass, iLead, iPad, iPluck, kInstrumentCount = iPluck };

// ---------------------------------------------------------------------------------------
// Instruments

struct Envelope {
    std::vector<std::pair<int, int>> points;  // (tick, 0..64)
    int sustain = -1;                         // point index, or -1
};

struct Instr {
    std::string name;
    std::vector<std::int16_t> pcm;
    bool loop = false;
    int volume = 64;
    int pan = 128;
    double pitchHz = 0;  // the pitch the sample holds; 0 for drums, played at their own rate
    Envelope env;
    int fadeout = 0;
    int vibratoDepth = 0, vibratoRate = 0, vibratoSweep = 0;
};

Instr Named(std::string name, std::vector<std::int16_t> pcm, bool loop = false) {
    Instr in;
    in.name = std::move(name);
    in.pcm = std::move(pcm);
    in.loop = loop;
    return in;
}

std::vector<std::int16_t> ToPcm(const std::vector<double>& s, double gain) {
    std::vector<std::int16_t> out(s.size());
    for (std::size_t i = 0; i < s.size(); ++i)
        out[i] = std::int16_t(std::lround(std::clamp(s[i] * gain, -1.0, 1.0) * 32767.0));
    return out;
}

// A loop of `len` samples holding whole cycles of every partial, so it repeats seamlessly.
// Each voice: (cycles in the loop, harmonic amplitudes by harmonic number from 1).
std::vector<double> LoopedTone(int len, const std::vector<std::pair<int, std::vector<double>>>& voices) {
    std::vector<double> s(len, 0.0);
    double peak = 0;
    for (int i = 0; i < len; ++i) {
        double v = 0;
        for (const auto& [cycles, harmonics] : voices)
            for (std::size_t h = 0; h < harmonics.size(); ++h)
                v += harmonics[h] * std::sin(2 * kPi * double(cycles) * double(h + 1) * i / len + 0.7 * h);
        s[i] = v;
        peak = std::max(peak, std::fabs(v));
    }
    for (double& v : s) v /= peak;
    return s;
}

double FadeEdges(int i, int n, int fadeIn, int fadeOut) {
    double a = fadeIn > 0 ? Clamp01(double(i) / fadeIn) : 1.0;
    double b = fadeOut > 0 ? Clamp01(double(n - 1 - i) / fadeOut) : 1.0;
    return a * b;
}

std::vector<Instr> MakeInstruments() {
    Rng rng(0x5EED);
    auto noise = [&rng] { return rng.Uniform() * 2 - 1; };
    std::vector<Instr> ins(kInstrumentCount);

    {  // Kick: a sine that drops from a thump to a low boom.
        const int n = kRate * 32 / 100;
        std::vector<double> s(n);
        double phase = 0;
        for (int i = 0; i < n; ++i) {
            double t = double(i) / kRate;
            double f = 46 + 130 * std::exp(-t / 0.028);
            phase += 2 * kPi * f / kRate;
            double click = (t < 0.004 ? noise() * 0.25 * (1 - t / 0.004) : 0.0);
            // Soft saturation makes it punchier at the same peak.
            s[i] = std::tanh(2.0 * (std::sin(phase) * std::exp(-t / 0.11) + click)) / std::tanh(2.0) *
                   FadeEdges(i, n, 0, 600);
        }
        ins[iKick - 1] = Named("Kick", ToPcm(s, 0.95));
    }
    {  // Snare: band-passed noise over a short tone.
        const int n = kRate * 24 / 100;
        std::vector<double> s(n);
        double lp = 0, hpPrev = 0, hp = 0, phase = 0;
        for (int i = 0; i < n; ++i) {
            double t = double(i) / kRate;
            double x = noise();
            lp += 0.45 * (x - lp);
            hp = 0.85 * (hp + lp - hpPrev);
            hpPrev = lp;
            phase += 2 * kPi * (190 - 40 * t / 0.24) / kRate;
            s[i] = (hp * 1.4 * std::exp(-t / 0.06) + 0.55 * std::sin(phase) * std::exp(-t / 0.035)) *
                   FadeEdges(i, n, 30, 800);
        }
        ins[iSnare - 1] = Named("Snare", ToPcm(s, 0.85));
    }
    auto hat = [&](int ms, double decay) {
        const int n = kRate * ms / 1000;
        std::vector<double> s(n);
        double prev = 0, prev2 = 0;
        for (int i = 0; i < n; ++i) {
            double t = double(i) / kRate;
            double x = noise();
            double d = x - 2 * prev + prev2;  // second difference: only the hiss remains
            prev2 = prev;
            prev = x;
            s[i] = d * 0.35 * std::exp(-t / decay) * FadeEdges(i, n, 20, 300);
        }
        return s;
    };
    ins[iHat - 1] = Named("Hi-hat", ToPcm(hat(70, 0.016), 0.9));
    ins[iOpenHat - 1] = Named("Open hat", ToPcm(hat(320, 0.09), 0.8));

    // Pitched loops: 16384 samples holding 128 cycles is 344.5 Hz; a second voice with one
    // cycle more beats against it three times a second, a slow chorus.
    const int loopLen = 16384;
    const double loopHz = double(kRate) * 128 / loopLen;
    auto saw = [](int count, double tilt) {
        std::vector<double> h(count);
        for (int k = 0; k < count; ++k) h[k] = 1.0 / (k + 1) * std::exp(-tilt * k);
        return h;
    };
    auto square = [](int count) {
        std::vector<double> h(count, 0.0);
        for (int k = 0; k < count; k += 2) h[k] = 1.0 / (k + 1);
        return h;
    };
    {
        Instr& b = ins[iBass - 1];
        b = Named("Bass", ToPcm(LoopedTone(loopLen, {{128, saw(24, 0.12)}}), 0.9), true);
        b.pitchHz = loopHz;
        b.env = {{{0, 64}, {3, 54}, {14, 40}, {48, 26}, {160, 14}}, -1};
        b.fadeout = 0x600;
        b.pan = 128;
    }
    {
        Instr& l = ins[iLead - 1];
        std::vector<double> a = square(13), c = saw(10, 0.2);
        for (double& v : c) v *= 0.5;
        l = Named("Lead", ToPcm(LoopedTone(loopLen, {{128, a}, {129, c}}), 0.9), true);
        l.pitchHz = loopHz;
        l.env = {{{0, 0}, {2, 64}, {10, 50}, {11, 50}}, 3};
        l.fadeout = 0x500;
        l.vibratoDepth = 5;
        l.vibratoRate = 14;
        l.vibratoSweep = 30;
        l.pan = 112;
    }
    {
        Instr& p = ins[iPad - 1];
        p = Named("Pad", ToPcm(LoopedTone(loopLen, {{128, saw(18, 0.25)}, {129, saw(14, 0.3)}, {127, saw(14, 0.3)}}), 0.85),
             true);
        p.pitchHz = loopHz;
        p.env = {{{0, 0}, {10, 44}, {40, 36}}, 2};
        p.fadeout = 0x180;
    }
    {
        Instr& k = ins[iPluck - 1];
        std::vector<double> h(9, 0.0);
        for (int i = 0; i < 9; i += 2) h[i] = 1.0 / ((i + 1) * (i + 1));  // triangle-like
        h[1] = 0.3;
        k = Named("Pluck", ToPcm(LoopedTone(loopLen, {{128, h}}), 0.9), true);
        k.pitchHz = loopHz;
        k.env = {{{0, 64}, {5, 30}, {18, 10}, {40, 0}}, -1};
        k.fadeout = 0x800;
        k.pan = 176;
    }
    ins[iSnare - 1].pan = 120;
    ins[iHat - 1].pan = 160;
    ins[iOpenHat - 1].pan = 96;
    return ins;
}

// Relative note and finetune that make note A-4 sound at 440 Hz (or, for a drum, that play
// the sample at its own rate on C-4).
void Tuning(const Instr& in, int& relNote, int& fine) {
    double x = in.pitchHz > 0 ? 12 * std::log2(440.0 * kRate / (in.pitchHz * 8363.0)) - 9
                              : 12 * std::log2(double(kRate) / 8363.0);
    relNote = int(std::lround(x));
    fine = int(std::lround((x - relNote) * 128));
}

// ---------------------------------------------------------------------------------------
// The score

struct Cell {
    int note = 0, instr = 0, vol = 0, effect = 0, param = 0;  // vol: 0 none, else 0x10 + v
};

using Pattern = std::array<std::array<Cell, kChannels>, kRows>;

int ParseNote(const std::string& tok) {
    static const std::map<char, int> base = {{'C', 0}, {'D', 2}, {'E', 4}, {'F', 5}, {'G', 7}, {'A', 9}, {'B', 11}};
    int semis = base.at(tok[0]);
    std::size_t i = 1;
    if (tok[i] == '#') ++semis, ++i;
    else if (tok[i] == 'b') --semis, ++i;
    int octave = tok[i] - '0';
    return octave * 12 + semis + 1;  // XM numbering: C-0 is 1, A-4 is 58
}

// One token per row: a note, "." to let it ring, "-" to release it.
std::vector<std::string> Tokens(const std::string& line) {
    std::vector<std::string> out;
    std::size_t pos = 0;
    while (pos < line.size()) {
        while (pos < line.size() && line[pos] == ' ') ++pos;
        std::size_t end = line.find(' ', pos);
        if (end == std::string::npos) end = line.size();
        if (end > pos) out.push_back(line.substr(pos, end - pos));
        pos = end;
    }
    return out;
}

struct Chord {
    int root;  // pitch class, 0 = C
    bool minor;
};

Chord ParseChord(const std::string& name) {
    static const std::map<std::string, int> roots = {{"C", 0}, {"D", 2}, {"E", 4}, {"F", 5},
                                                     {"G", 7}, {"A", 9}, {"Bb", 10}, {"B", 11}};
    bool minor = name.back() == 'm';
    return {roots.at(minor ? name.substr(0, name.size() - 1) : name), minor};
}

// Section of four bars: chords, lead line (four bars of sixteen rows) and how busy it is.
struct Section {
    const char* chords;
    const char* lead[4];
    int drums;   // 0 sparse intro, 1 groove, 2 groove with fill, 3 break
    bool arp;    // arpeggio pluck on
    bool vibrato;
};

const Section kSections[] = {
    // 0: intro
    {"Am Am F E",
     {". . . . . . . . . . . . . . . .", ". . . . . . . . . . . . . . . .",
      ". . . . . . . . . . . . . . . .", ". . . . . . . . E5 . . . B4 . . ."},
     0, false, false},
    // 1: theme
    {"Am F C E",
     {"E5 . . E5 . . A5 . . . G5 . E5 . . .", "F5 . . F5 . . A5 . . . C6 . A5 . . .",
      "G5 . . G5 . . E5 . . . C5 . D5 . E5 .", "B4 . . . G#4 . . . B4 . D5 . E5 . . -"},
     1, false, false},
    // 2: theme answered
    {"Am F Dm E",
     {"E5 . . E5 . . A5 . . . B5 . C6 . B5 .", "A5 . . F5 . . C5 . . . F5 . A5 . . .",
      "D6 . . C6 . . A5 . . . F5 . D5 . F5 .", "E5 . . . . . G#5 . . . B5 . . . - ."},
     2, true, false},
    // 3: second theme
    {"F G Em Am",
     {"C6 . . . . . . . A5 . . . F5 . . .", "D6 . . . . . . . B5 . . . G5 . . .",
      "E5 . G5 . B5 . E6 . D6 . B5 . G5 . E5 .", "A5 . . . . . . . . . . . - . . ."},
     1, true, false},
    // 4: second theme turned
    {"Dm G C E",
     {"F5 . . . . . . . A5 . . . D6 . . .", "D6 . . . C6 . . . B5 . . . G5 . . .",
      "C6 . . . E6 . . . G5 . . . C6 . . .", "B5 . . . G#5 . . . E5 . . . B4 . . -"},
     2, true, false},
    // 5: the dizzy break
    {"Am Bb Am E",
     {"A5 . . . . . . . . . . . . . . .", "Bb5 . . . . . . . D6 . . . . . . .",
      "C6 . . . . . . . B5 . . . A5 . . .", "G#5 . . . . . . . . . . . - . . ."},
     3, true, true},
    // 6: run back to the theme
    {"F G E E",
     {"A5 . C6 . A5 . F5 . A5 . C6 . F6 . . .", "G5 . B5 . D6 . G6 . F6 . D6 . B5 . G5 .",
      "G#5 . B5 . E6 . B5 . G#5 . E5 . G#5 . B5 .", "E6 . . . . . . . - . . . . . . ."},
     2, true, false},
};

// Play order: intro once, then the loop returns to position 1.
constexpr int kOrder[] = {0, 1, 2, 3, 4, 5, 1, 2, 6};
constexpr int kRestart = 1;

// The mix: each instrument's level scales the volumes the score asks for.
constexpr int kLevel[kInstrumentCount + 1] = {0, 64, 64, 52, 44, 64, 64, 44, 48};

void Put(Cell& c, int note, int instr, int vol = -1, int effect = 0, int param = 0) {
    c.note = note;
    c.instr = instr;
    c.vol = vol >= 0 ? 0x10 + std::min(int(std::lround(vol * kLevel[instr] / 64.0)), 64) : 0;
    c.effect = effect;
    c.param = param;
}

Pattern BuildPattern(const Section& sec) {
    Pattern p{};
    std::vector<std::string> chordNames = Tokens(sec.chords);
    for (int bar = 0; bar < 4; ++bar) {
        const int r0 = bar * 16;
        const Chord ch = ParseChord(chordNames[bar]);
        const int third = ch.minor ? 3 : 4;
        const bool lastBar = bar == 3;

        // Drums.
        for (int r = 0; r < 16; ++r) {
            Cell* row = p[r0 + r].data();
            bool fill = sec.drums == 2 && lastBar && r >= 12;
            if (sec.drums == 0) {
                if (r == 0 || (r == 8 && bar >= 2)) Put(row[kKick], 49, iKick, 60);
                if (r % 4 == 2) Put(row[kHat], 49, iHat, bar < 2 ? 20 : 32);
                if (bar == 3 && r >= 8 && r % 2 == 0) Put(row[kSnare], 49, iSnare, 16 + r * 2);
            } else if (sec.drums == 3) {
                // The break: kick on the half notes, claps off the beat, open hats swirling.
                if (r == 0 || r == 10) Put(row[kKick], 49, iKick, 62);
                if (r == 4 || r == 12) Put(row[kSnare], 49, iSnare, 40);
                if (r % 4 == 2) Put(row[kHat], 49, iOpenHat, 28 + 6 * (r % 8 == 6));
                if (lastBar && r >= 8 && r % 2 == 1) Put(row[kSnare], 49, iSnare, 24 + r);
            } else {
                if (r % 4 == 0) Put(row[kKick], 49, iKick, 64);
                if (r == 4 || r == 12) Put(row[kSnare], 49, iSnare, 56);
                if (r == 14 && bar % 2 == 1) Put(row[kSnare], 49, iSnare, 18);
                if (fill && r != 12) Put(row[kSnare], 49, iSnare, 28 + (r - 12) * 8);
                if (r % 2 == 0) {
                    bool off = r % 4 == 2;
                    if (off && r == 14 && bar % 2 == 1) Put(row[kHat], 49, iOpenHat, 34);
                    else Put(row[kHat], 49, iHat, off ? 44 : 22);
                } else if (sec.drums == 2 || sec.arp) {
                    Put(row[kHat], 49, iHat, 12);
                }
            }
        }

        // Bass: root, octave and fifth in a syncopated figure (E2 to D#3).
        const int bassRoot = 2 * 12 + 1 + ((ch.root - 4 + 12) % 12) + 4;
        const int steps[][2] = {{0, 0}, {3, 0}, {6, 12}, {8, 0}, {10, 7}, {12, 12}, {14, 0}};
        for (const auto& s : steps) {
            if (sec.drums == 0 && bar < 2 && s[0] != 0 && s[0] != 8) continue;
            if (sec.drums == 3 && s[0] % 4 == 2 && s[0] != 6) continue;
            Put(p[r0 + s[0]][kBass], bassRoot + s[1], iBass, s[0] % 4 == 0 ? 64 : 48);
        }

        // Pad: the chord in close position between G3 and F#4, held through the bar.
        int tones[3] = {ch.root, (ch.root + third) % 12, (ch.root + 7) % 12};
        int notes[3];
        for (int k = 0; k < 3; ++k) notes[k] = 3 * 12 + 1 + ((tones[k] - 7 + 12) % 12) + 7;
        std::sort(notes, notes + 3);
        for (int k = 0; k < 3; ++k) Put(p[r0][kPad1 + k], notes[k], iPad, sec.drums == 0 ? 40 : 48);

        // Arpeggio pluck: the chord spun by the tracker's arpeggio effect on every eighth.
        if (sec.arp) {
            const int arpRoot = 5 * 12 + 1 + ch.root;
            const int param = (third << 4) | 7;
            for (int r = 0; r < 16; r += 2) {
                int vol = (r % 4 == 0 ? 40 : 28) + (sec.drums == 3 ? 10 : 0);
                Put(p[r0 + r][kArp], arpRoot - (ch.root > 7 ? 12 : 0), iPluck, vol, 0x0, param);
            }
        }

        // Lead and its echo three rows later, softer and on the other side.
        std::vector<std::string> lead = Tokens(sec.lead[bar]);
        if (lead.size() != 16) throw std::runtime_error("a lead bar needs sixteen rows");
        for (int r = 0; r < 16; ++r) {
            const std::string& tok = lead[r];
            if (tok == ".") continue;
            int note = tok == "-" ? kKeyOff : ParseNote(tok);
            Cell& c = p[r0 + r][kLead];
            if (note == kKeyOff) c.note = kKeyOff;
            else Put(c, note, iLead, 56, sec.vibrato ? 0x4 : 0, sec.vibrato ? 0x46 : 0);
            int er = r0 + r + 3;
            if (er < kRows) {
                Cell& e = p[er][kEcho];
                if (note == kKeyOff) e.note = kKeyOff;
                else Put(e, note, iLead, 22);
            }
        }
    }
    // Hold vibrato through the break's long notes.
    if (sec.vibrato)
        for (int r = 0; r < kRows; ++r)
            if (p[r][kLead].note == 0 && p[r][kLead].effect == 0) {
                p[r][kLead].effect = 0x4;
                p[r][kLead].param = 0x00;
            }
    return p;
}

// ---------------------------------------------------------------------------------------
// The file

void PutText(std::vector<std::uint8_t>& out, const std::string& text, std::size_t width) {
    for (std::size_t i = 0; i < width; ++i) out.push_back(i < text.size() ? std::uint8_t(text[i]) : 0);
}

std::vector<std::uint8_t> PackPattern(const Pattern& p) {
    std::vector<std::uint8_t> data;
    for (const auto& row : p) {
        for (const Cell& c : row) {
            std::uint8_t mask = 0x80;
            if (c.note) mask |= 1;
            if (c.instr) mask |= 2;
            if (c.vol) mask |= 4;
            if (c.effect) mask |= 8;
            if (c.param) mask |= 16;
            data.push_back(mask);
            if (c.note) data.push_back(std::uint8_t(c.note));
            if (c.instr) data.push_back(std::uint8_t(c.instr));
            if (c.vol) data.push_back(std::uint8_t(c.vol));
            if (c.effect) data.push_back(std::uint8_t(c.effect));
            if (c.param) data.push_back(std::uint8_t(c.param));
        }
    }
    return data;
}

void PutInstrument(std::vector<std::uint8_t>& out, const Instr& in) {
    const std::size_t start = out.size();
    PutLe32(out, 263);  // header size, as FastTracker 2 writes it
    PutText(out, in.name, 22);
    out.push_back(0);  // type
    PutLe16(out, 1);   // one sample
    PutLe32(out, 40);  // sample header size
    for (int i = 0; i < 96; ++i) out.push_back(0);
    for (int i = 0; i < 12; ++i) {
        bool used = i < int(in.env.points.size());
        PutLe16(out, used ? unsigned(in.env.points[i].first) : 0);
        PutLe16(out, used ? unsigned(in.env.points[i].second) : 0);
    }
    for (int i = 0; i < 12; ++i) PutLe32(out, 0);  // panning envelope: none
    const bool hasEnv = !in.env.points.empty();
    out.push_back(std::uint8_t(in.env.points.size()));
    out.push_back(0);
    out.push_back(std::uint8_t(in.env.sustain >= 0 ? in.env.sustain : 0));
    out.push_back(0);  // volume loop start
    out.push_back(0);  // volume loop end
    out.push_back(0);  // panning sustain, loop start, loop end
    out.push_back(0);
    out.push_back(0);
    out.push_back(std::uint8_t((hasEnv ? 1 : 0) | (in.env.sustain >= 0 ? 2 : 0)));
    out.push_back(0);  // panning envelope off
    out.push_back(0);  // vibrato: sine
    out.push_back(std::uint8_t(in.vibratoSweep));
    out.push_back(std::uint8_t(in.vibratoDepth));
    out.push_back(std::uint8_t(in.vibratoRate));
    PutLe16(out, unsigned(in.fadeout));
    while (out.size() - start < 263) out.push_back(0);

    int rel, fine;
    Tuning(in, rel, fine);
    const std::uint32_t bytes = std::uint32_t(in.pcm.size() * 2);
    PutLe32(out, bytes);
    PutLe32(out, 0);
    PutLe32(out, in.loop ? bytes : 0);
    out.push_back(std::uint8_t(in.volume));
    out.push_back(std::uint8_t(std::int8_t(fine)));
    out.push_back(std::uint8_t((in.loop ? 1 : 0) | 0x10));  // 16-bit, forward loop
    out.push_back(std::uint8_t(in.pan));
    out.push_back(std::uint8_t(std::int8_t(rel)));
    out.push_back(0);
    PutText(out, in.name, 22);
    // Sample data as differences from the previous sample.
    std::int16_t prev = 0;
    for (std::int16_t s : in.pcm) {
        PutLe16(out, std::uint16_t(std::uint16_t(s) - std::uint16_t(prev)));
        prev = s;
    }
}

}  // namespace

std::vector<std::uint8_t> MakeModule() {
    const std::vector<Instr> instruments = MakeInstruments();
    const int patternCount = int(std::size(kSections));
    const int orderCount = int(std::size(kOrder));

    std::vector<std::uint8_t> out;
    PutText(out, "Extended Module: ", 17);
    PutText(out, "Kelvado", 20);
    out.push_back(0x1A);
    PutText(out, "mkassets", 20);
    PutLe16(out, 0x0104);
    PutLe32(out, 276);
    PutLe16(out, unsigned(orderCount));
    PutLe16(out, kRestart);
    PutLe16(out, kChannels);
    PutLe16(out, unsigned(patternCount));
    PutLe16(out, unsigned(instruments.size()));
    PutLe16(out, 1);  // linear frequency table
    PutLe16(out, kSpeed);
    PutLe16(out, kTempo);
    for (int i = 0; i < 256; ++i) out.push_back(i < orderCount ? std::uint8_t(kOrder[i]) : 0);

    for (const Section& sec : kSections) {
        std::vector<std::uint8_t> data = PackPattern(BuildPattern(sec));
        PutLe32(out, 9);
        out.push_back(0);
        PutLe16(out, kRows);
        PutLe16(out, unsigned(data.size()));
        out.insert(out.end(), data.begin(), data.end());
    }
    for (const Instr& in : instruments) PutInstrument(out, in);
    return out;
}

}  // namespace mk
