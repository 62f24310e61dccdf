// Writes placeholder sounds for every clip the game's sound bank loads: distinct effects
// under 2 s (looping ones too), 4-8 s looping music and 4 s cutscene soundtracks,
// synthesised and encoded with the sound library's encoder.
//
//   tool_make_game_sounds <game assets folder> [stamp file]
#include "Platform/soundlib/Encoder.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace
{
    constexpr uint32_t kRate = 44100;
    constexpr double kTau = 2.0 * std::numbers::pi;

    // A stereo buffer of float samples, -1..1.
    struct Buffer
    {
        explicit Buffer(double aSeconds) : left(static_cast<size_t>(aSeconds * kRate)), right(left.size()) {}
        std::vector<float> left;
        std::vector<float> right;
        size_t Frames() const { return left.size(); }
    };

    // Deterministic noise so every build writes the same files.
    struct Noise
    {
        uint32_t state = 0x12345678;
        float Next()
        {
            state = state * 1664525u + 1013904223u;
            return static_cast<float>(state >> 8) / static_cast<float>(1u << 23) - 1.0f;
        }
    };

    float Envelope(double t, double aLength, double anAttack, double aRelease)
    {
        if (t < 0.0 || t >= aLength)
            return 0.0f;
        const double in = anAttack > 0.0 ? std::min(1.0, t / anAttack) : 1.0;
        const double out = aRelease > 0.0 ? std::min(1.0, (aLength - t) / aRelease) : 1.0;
        return static_cast<float>(in * out);
    }

    // A tone from aStart for aLength seconds, its pitch gliding from f0 to f1; aBright
    // mixes in odd harmonics for a squarer timbre. aPan -1 left .. 1 right.
    void AddTone(Buffer& aBuffer, double aStart, double aLength, double f0, double f1, float aGain,
                 float aBright = 0.0f, float aPan = 0.0f, double anAttack = 0.005, double aRelease = 0.05)
    {
        double phase = 0.0;
        const size_t first = static_cast<size_t>(aStart * kRate);
        const size_t count = static_cast<size_t>(aLength * kRate);
        for (size_t i = 0; i < count && first + i < aBuffer.Frames(); ++i)
        {
            const double t = static_cast<double>(i) / kRate;
            const double f = f0 + (f1 - f0) * (t / aLength);
            phase += kTau * f / kRate;
            const float wave = static_cast<float>(std::sin(phase) + aBright * (std::sin(3 * phase) / 3 + std::sin(5 * phase) / 5));
            const float v = wave * aGain * Envelope(t, aLength, anAttack, aRelease);
            aBuffer.left[first + i] += v * (1.0f - std::max(0.0f, aPan));
            aBuffer.right[first + i] += v * (1.0f + std::min(0.0f, aPan));
        }
    }

    // Noise through a one-pole low-pass (aTone 0 dark .. 1 bright), with a decay.
    void AddNoise(Buffer& aBuffer, double aStart, double aLength, float aGain, float aTone, double aDecay, uint32_t aSeed)
    {
        Noise noise{aSeed};
        float low = 0.0f;
        const size_t first = static_cast<size_t>(aStart * kRate);
        const size_t count = static_cast<size_t>(aLength * kRate);
        for (size_t i = 0; i < count && first + i < aBuffer.Frames(); ++i)
        {
            const double t = static_cast<double>(i) / kRate;
            low += aTone * (noise.Next() - low);
            const float v = low * aGain * static_cast<float>(std::exp(-t / aDecay)) * Envelope(t, aLength, 0.002, 0.02);
            aBuffer.left[first + i] += v;
            aBuffer.right[first + i] += v;
        }
    }

    double Note(int aSemitonesFromA4)
    {
        return 440.0 * std::pow(2.0, aSemitonesFromA4 / 12.0);
    }

    // A looping tune: a bass note per bar and an arpeggio over it, exactly aBars long.
    Buffer Tune(int aRoot, std::vector<int> someBass, std::vector<int> someArpeggio, double aBeat, float aBright, int aBars)
    {
        const int stepsPerBar = static_cast<int>(someArpeggio.size());
        Buffer b(aBeat * stepsPerBar * aBars);
        for (int bar = 0; bar < aBars; ++bar)
        {
            const int bass = someBass[static_cast<size_t>(bar) % someBass.size()];
            const double barStart = bar * aBeat * stepsPerBar;
            AddTone(b, barStart, aBeat * stepsPerBar, Note(aRoot + bass - 24), Note(aRoot + bass - 24), 0.25f, 0.2f, 0.0f, 0.02, 0.1);
            for (int step = 0; step < stepsPerBar; ++step)
            {
                const int pitch = aRoot + bass + someArpeggio[static_cast<size_t>(step)];
                const float pan = (step % 2 == 0) ? -0.4f : 0.4f;
                AddTone(b, barStart + step * aBeat, aBeat * 0.9, Note(pitch), Note(pitch), 0.18f, aBright, pan, 0.005, aBeat * 0.5);
            }
        }
        return b;
    }

    Buffer Sweep(double aLength, double f0, double f1, float aBright)
    {
        Buffer b(aLength);
        AddTone(b, 0.0, aLength, f0, f1, 0.5f, aBright, 0.0f, 0.003, aLength * 0.4);
        return b;
    }

    Buffer Chord(double aLength, std::vector<int> someNotes, float aBright)
    {
        Buffer b(aLength);
        for (size_t i = 0; i < someNotes.size(); ++i)
            AddTone(b, 0.06 * static_cast<double>(i), aLength - 0.06 * static_cast<double>(i), Note(someNotes[i]), Note(someNotes[i]),
                    0.22f, aBright, i % 2 ? 0.3f : -0.3f, 0.01, aLength * 0.6);
        return b;
    }

    Buffer Crash(double aLength, float aTone, double aDecay, uint32_t aSeed, double aThump)
    {
        Buffer b(aLength);
        AddNoise(b, 0.0, aLength, 0.8f, aTone, aDecay, aSeed);
        if (aThump > 0.0)
            AddTone(b, 0.0, 0.25, aThump, aThump * 0.5, 0.6f, 0.0f, 0.0f, 0.002, 0.2);
        return b;
    }

    Buffer Voice(int aPitch, int aSyllables, double aSyllable)
    {
        Buffer b(aSyllables * aSyllable + 0.05);
        for (int s = 0; s < aSyllables; ++s)
        {
            const int wobble = (s * 5) % 7 - 3;
            AddTone(b, s * aSyllable, aSyllable * 0.85, Note(aPitch + wobble), Note(aPitch + wobble - 2), 0.35f, 0.6f, 0.0f, 0.01, 0.05);
        }
        return b;
    }

    Buffer Steps()
    {
        Buffer b(1.0);
        for (int i = 0; i < 4; ++i)
            AddNoise(b, i * 0.25, 0.08, 0.7f, 0.25f, 0.02, 77u + static_cast<uint32_t>(i));
        return b;
    }

    Buffer Drone(double aLength, double aFrequency, double aWobble, float aBright, uint32_t aSeed)
    {
        Buffer b(aLength);
        const int pulses = static_cast<int>(aLength * aWobble);
        for (int i = 0; i < pulses; ++i)
        {
            const double start = i / aWobble;
            AddTone(b, start, 1.0 / aWobble, aFrequency, aFrequency * 1.06, 0.3f, aBright, 0.0f, 0.05, 0.1);
        }
        AddNoise(b, 0.0, aLength, 0.08f, 0.05f, 1e9, aSeed);
        return b;
    }

    struct Clip
    {
        const char* path;
        std::function<Buffer()> make;
    };

    std::vector<int16_t> ToPcm(const Buffer& aBuffer)
    {
        float peak = 0.0f;
        for (size_t i = 0; i < aBuffer.Frames(); ++i)
            peak = std::max({peak, std::fabs(aBuffer.left[i]), std::fabs(aBuffer.right[i])});
        const float scale = peak > 0.0f ? 0.7f / peak : 0.0f;
        std::vector<int16_t> pcm(aBuffer.Frames() * 2);
        for (size_t i = 0; i < aBuffer.Frames(); ++i)
        {
            pcm[i * 2] = static_cast<int16_t>(std::lround(aBuffer.left[i] * scale * 32767.0f));
            pcm[i * 2 + 1] = static_cast<int16_t>(std::lround(aBuffer.right[i] * scale * 32767.0f));
        }
        return pcm;
    }
}

int main(int argc, char** argv)
{
    if (argc < 2)
    {
        std::fprintf(stderr, "usage: %s <game assets folder> [stamp file]\n", argv[0]);
        return 2;
    }
    const fs::path root = argv[1];

    const std::vector<Clip> clips = {
        {"Sound/Embercrest_1.mp3", [] { return Tune(-5, {0, 5, 7, 5}, {0, 7, 12, 16, 12, 7}, 0.17, 0.2f, 4); }},
        {"Sound/Embercrest_2.mp3", [] { return Tune(-3, {0, -2, -4, -2}, {0, 3, 7, 10, 7, 3, 0, 3}, 0.13, 0.5f, 4); }},
        {"Sound/Embercrest_3.mp3", [] { return Tune(-8, {0, 1, 0, -1}, {0, 3, 6, 9}, 0.26, 0.8f, 4); }},
        {"Sound/Embercrest_main.mp3", [] { return Tune(0, {0, -3, -7, -5}, {0, 4, 7, 12, 7, 4}, 0.17, 0.1f, 4); }},
        {"Sound/Embercrest_chase.mp3", [] { return Tune(-2, {0, 0, 1, -1}, {0, 12, 0, 12, 3, 15, 3, 15}, 0.13, 0.9f, 4); }},
        {"Sound/SFX_IntroFORGE.mp3", [] { return Chord(1.2, {-12, -5, 0, 4, 7}, 0.2f); }},
        {"Sound/SFX_IntroVT58.mp3", [] { return Chord(1.2, {-10, -3, 2, 5, 9}, 0.6f); }},
        {"Sound/SFX_MenuSelect.mp3", [] { return Sweep(0.12, 880, 1320, 0.3f); }},
        {"Sound/SFX_Breakablewall.mp3", [] { return Crash(0.9, 0.15f, 0.25, 11u, 90); }},
        {"Sound/SFX_Checkpoint.mp3", [] { return Chord(0.9, {3, 7, 10, 15}, 0.1f); }},
        {"Sound/SFX_Dash.mp3", [] { return Crash(0.35, 0.6f, 0.12, 23u, 0); }},
        {"Sound/SFX_DoubleJump.mp3", [] { return Sweep(0.25, 500, 1100, 0.5f); }},
        {"Sound/SFX_EnemyDeath.mp3", [] { return Sweep(0.6, 400, 80, 0.9f); }},
        {"Sound/SFX_Exit.mp3", [] { return Chord(1.0, {-12, 0, 7, 12, 19}, 0.3f); }},
        {"Sound/SFX_Jump.mp3", [] { return Sweep(0.2, 300, 700, 0.4f); }},
        {"Sound/SFX_Landing.mp3", [] { return Crash(0.2, 0.08f, 0.05, 31u, 70); }},
        {"Sound/SFX_NPCVoice_1.mp3", [] { return Voice(0, 4, 0.14); }},
        {"Sound/SFX_NPCVoice_2.mp3", [] { return Voice(3, 5, 0.12); }},
        {"Sound/SFX_NPCVoice_3.mp3", [] { return Voice(-4, 3, 0.18); }},
        {"Sound/SFX_NPCVoice_4.mp3", [] { return Voice(7, 6, 0.1); }},
        {"Sound/SFX_NPCVoice_5.mp3", [] { return Voice(-2, 4, 0.16); }},
        {"Sound/SFX_NPCVoice_6.mp3", [] { return Voice(5, 7, 0.09); }},
        {"Sound/SFX_OpenGate.mp3", [] { return Sweep(1.0, 60, 45, 0.7f); }},
        {"Sound/SFX_PlayerDeath.mp3", [] { return Sweep(1.0, 600, 60, 0.6f); }},
        {"Sound/SFX_PlayerHealing.mp3", [] { return Chord(0.9, {12, 16, 19, 24}, 0.0f); }},
        {"Sound/SFX_PlayerHurt.mp3", [] { return Crash(0.3, 0.4f, 0.08, 43u, 220); }},
        {"Sound/SFX_PotBreaking.mp3", [] { return Crash(0.6, 0.7f, 0.15, 59u, 0); }},
        {"Sound/SFX_PowerUp.mp3", [] { return Sweep(0.8, 220, 1760, 0.2f); }},
        {"Sound/SFX_PressButton.mp3", [] { return Sweep(0.08, 1500, 1400, 0.8f); }},
        {"Sound/SFX_EnemyBlob.mp3", [] { return Drone(1.5, 70, 2.0, 0.3f, 61u); }},
        {"Sound/SFX_EnemyHands.mp3", [] { return Drone(1.6, 140, 5.0, 0.8f, 67u); }},
        {"Sound/SFX_Enemy_Boss.mp3", [] { return Drone(1.6, 45, 2.5, 1.0f, 71u); }},
        {"Sound/SFX_PlayerFootstep.mp3", [] { return Steps(); }},
        // The two cutscene soundtracks under video/ come with the videos' own generator.
    };

    for (const Clip& clip : clips)
    {
        const fs::path path = root / clip.path;
        std::error_code ec;
        fs::create_directories(path.parent_path(), ec);
        const std::vector<int16_t> pcm = ToPcm(clip.make());
        if (!Plat::Sound::EncodeFile(path.string(), pcm.data(), static_cast<uint32_t>(pcm.size() / 2), 2, kRate))
        {
            std::fprintf(stderr, "make_game_sounds: could not write %s\n", path.string().c_str());
            return 1;
        }
    }
    if (argc >= 3)
        std::ofstream(argv[2]) << Plat::Sound::PreferredEncoder() << "\n";
    std::printf("make_game_sounds: %zu sounds in %s (%s)\n", clips.size(), root.string().c_str(), Plat::Sound::PreferredEncoder());
    return 0;
}
