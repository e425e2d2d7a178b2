// Parsing of sound descriptions, line by line.
#include "synth/SynthScore.h"

#include <charconv>
#include <cmath>
#include <sstream>

namespace
{

constexpr size_t kMaxNotesPerVoice = 100000;

// The words before a comment: a '#' that begins a word starts one; inside a
// word it is a sharp (F#3).
std::vector<std::string> SplitWords(const std::string& line)
{
    std::vector<std::string> words;
    std::istringstream in(line);
    std::string word;
    while (in >> word && word[0] != '#') words.push_back(word);
    return words;
}

// A whole word as a finite number, nothing else accepted.
bool ParseNumber(const std::string& word, double& value)
{
    const char* end = word.data() + word.size();
    const auto result = std::from_chars(word.data(), end, value);
    return result.ec == std::errc() && result.ptr == end && std::isfinite(value);
}

bool ParseInteger(const std::string& word, int& value)
{
    const char* end = word.data() + word.size();
    const auto result = std::from_chars(word.data(), end, value);
    return result.ec == std::errc() && result.ptr == end;
}

bool EndsWithHz(const std::string& word)
{
    if (word.size() < 3) return false;
    const std::string tail = word.substr(word.size() - 2);
    return (tail[0] == 'h' || tail[0] == 'H') && (tail[1] == 'z' || tail[1] == 'Z');
}

// Note name with octave (A4 = 440 Hz, equal temperament): 0 when malformed.
double NoteFrequency(const std::string& word)
{
    static const int kSemitone[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
    if (word.empty() || word[0] < 'A' || word[0] > 'G') return 0.0;
    int semitone = kSemitone[word[0] - 'A'];
    size_t at = 1;
    if (at < word.size() && (word[at] == '#' || word[at] == 'b'))
    {
        semitone += word[at] == '#' ? 1 : -1;
        ++at;
    }
    int octave = 0;
    if (!ParseInteger(word.substr(at), octave) || octave < -1 || octave > 9) return 0.0;
    const int midi = 12 * (octave + 1) + semitone;
    return 440.0 * std::pow(2.0, (midi - 69) / 12.0);
}

class TScoreParser
{
public:
    TScoreParser(TSynthScore& score, TSynthError& error) : score_(score), error_(error) {}

    bool Line(int number, const std::vector<std::string>& words)
    {
        line_ = number;
        const std::string& key = words[0];
        const size_t count = words.size() - 1;
        if (key == "voice") return Voice(words);
        if (key == "notes") return Notes(words, 1, 1);
        if (key == "repeat")
        {
            int times = 0;
            if (count < 2 || !ParseInteger(words[1], times) || times < 1 || times > 1000)
                return Fail("repeat wants a count from 1 to 1000 and the notes to repeat");
            return Notes(words, 2, times);
        }
        if (key == "loop")
        {
            if (count != 2 || !ParseInteger(words[1], score_.loopBars) ||
                !ParseInteger(words[2], score_.beatsPerBar) || score_.loopBars < 1 ||
                score_.loopBars > 1024 || score_.beatsPerBar < 1 || score_.beatsPerBar > 32)
                return Fail("loop wants bars (1 to 1024) and beats per bar (1 to 32)");
            score_.loopLine = number;
            return true;
        }
        if (key == "rate")
            return Integer(words, score_.rate, 8000, 192000);
        if (key == "channels") return Integer(words, score_.channels, 1, 2);
        if (key == "tempo") return Number(words, score_.tempo, 1.0, 1000.0, false);
        if (key == "volume") return Number(words, score_.volume, 0.0, 4.0, true);
        if (key == "wave" || key == "level" || key == "pan" || key == "envelope" ||
            key == "glide")
            return VoiceSetting(words);
        return Fail("unknown setting '" + key + "'");
    }

private:
    bool Fail(const std::string& message)
    {
        error_.line = line_;
        error_.message = message;
        return false;
    }

    bool Integer(const std::vector<std::string>& words, int& value, int low, int high)
    {
        int read = 0;
        if (words.size() != 2 || !ParseInteger(words[1], read) || read < low || read > high)
        {
            return Fail(words[0] + " wants a whole number from " + std::to_string(low) + " to " +
                        std::to_string(high));
        }
        value = read;
        return true;
    }

    // high is exclusive unless highIncluded; low is always included.
    bool Number(const std::vector<std::string>& words, double& value, double low, double high,
                bool highIncluded)
    {
        double read = 0.0;
        const bool ok = words.size() == 2 && ParseNumber(words[1], read) && read >= low &&
                        (read < high || (highIncluded && read == high));
        if (!ok)
        {
            std::ostringstream text;
            text << words[0] << " wants a number from " << low << " to " << high;
            return Fail(text.str());
        }
        value = read;
        return true;
    }

    bool Voice(const std::vector<std::string>& words)
    {
        if (words.size() != 2) return Fail("voice wants one name");
        for (const TSynthVoice& voice : score_.voices)
        {
            if (voice.name == words[1])
                return Fail("voice '" + words[1] + "' was already begun on line " +
                            std::to_string(voice.line));
        }
        TSynthVoice voice;
        voice.name = words[1];
        voice.line = line_;
        score_.voices.push_back(voice);
        length_ = 1.0;
        return true;
    }

    bool VoiceSetting(const std::vector<std::string>& words)
    {
        if (score_.voices.empty()) return Fail(words[0] + " before the first voice");
        TSynthVoice& voice = score_.voices.back();
        const std::string& key = words[0];
        if (key == "wave")
        {
            static const struct
            {
                const char* name;
                ESynthWave wave;
            } kWaves[] = {{"sine", ESynthWave::Sine},
                          {"square", ESynthWave::Square},
                          {"triangle", ESynthWave::Triangle},
                          {"saw", ESynthWave::Saw},
                          {"noise", ESynthWave::Noise}};
            for (const auto& entry : kWaves)
            {
                if (words.size() == 2 && words[1] == entry.name)
                {
                    voice.wave = entry.wave;
                    return true;
                }
            }
            return Fail("wave wants sine, square, triangle, saw or noise");
        }
        if (key == "level") return Number(words, voice.level, 0.0, 4.0, true);
        if (key == "pan") return Number(words, voice.pan, -1.0, 1.0, true);
        if (key == "glide") return Number(words, voice.glide, -48.0, 48.0, true);
        double values[4] = {};
        bool ok = words.size() == 5;
        for (size_t i = 0; ok && i < 4; ++i) ok = ParseNumber(words[i + 1], values[i]);
        ok = ok && values[0] >= 0.0 && values[0] <= 60.0 && values[1] >= 0.0 &&
             values[1] <= 60.0 && values[2] >= 0.0 && values[2] <= 1.0 && values[3] >= 0.0 &&
             values[3] <= 60.0;
        if (!ok)
            return Fail(
                "envelope wants attack, decay, sustain and release: seconds (0 to 60) and a "
                "sustain level (0 to 1)");
        voice.attack = values[0];
        voice.decay = values[1];
        voice.sustain = values[2];
        voice.release = values[3];
        return true;
    }

    bool Notes(const std::vector<std::string>& words, size_t first, int times)
    {
        if (score_.voices.empty()) return Fail(words[0] + " before the first voice");
        TSynthVoice& voice = score_.voices.back();
        for (int pass = 0; pass < times; ++pass)
        {
            for (size_t i = first; i < words.size(); ++i)
            {
                if (words[i] == "|") continue;
                if (!Note(voice, words[i])) return false;
            }
        }
        return true;
    }

    bool Note(TSynthVoice& voice, const std::string& word)
    {
        const size_t colon = word.find(':');
        const std::string pitch = word.substr(0, colon);
        if (colon != std::string::npos)
        {
            double beats = 0.0;
            if (!ParseNumber(word.substr(colon + 1), beats) || beats <= 0.0 || beats > 1024.0)
                return Fail("note '" + word + "' wants a length in beats above 0, at most 1024");
            length_ = beats;
        }
        double frequency = 0.0;
        if (pitch != "r")
        {
            if (EndsWithHz(pitch))
            {
                if (!ParseNumber(pitch.substr(0, pitch.size() - 2), frequency) ||
                    frequency < 1.0 || frequency > 20000.0)
                    return Fail("frequency '" + pitch + "' is not from 1hz to 20000hz");
            }
            else if ((frequency = NoteFrequency(pitch)) == 0.0)
            {
                return Fail("'" + pitch +
                            "' is not a note (C4, F#3, Bb2), a frequency (440hz) or a rest (r)");
            }
            if (voice.notes.size() >= kMaxNotesPerVoice)
                return Fail("voice '" + voice.name + "' has more than " +
                            std::to_string(kMaxNotesPerVoice) + " notes");
            TSynthNote note;
            note.startBeat = voice.endBeat;
            note.beats = length_;
            note.frequency = frequency;
            note.line = line_;
            voice.notes.push_back(note);
        }
        voice.endBeat += length_;
        if (voice.endBeat > 1.0e6) return Fail("voice '" + voice.name + "' is far too long");
        return true;
    }

    TSynthScore& score_;
    TSynthError& error_;
    int line_ = 0;
    double length_ = 1.0;
};

}  // namespace

bool ParseSynthScore(const std::string& text, TSynthScore& score, TSynthError& error)
{
    score = TSynthScore();
    error = TSynthError();
    TScoreParser parser(score, error);
    std::istringstream in(text);
    std::string line;
    int number = 0;
    while (std::getline(in, line))
    {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::vector<std::string> words = SplitWords(line);
        if (!words.empty() && !parser.Line(number, words)) return false;
    }
    return true;
}
