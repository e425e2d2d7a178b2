// The particle description parser and the particle-file writer.
#include "psi/ParticleDescription.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

#include "synth/Synth.h"

namespace
{

bool ParseInt(const std::string& word, int32_t& out)
{
    if (word.empty()) return false;
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(word.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < INT32_MIN || v > INT32_MAX) return false;
    out = static_cast<int32_t>(v);
    return true;
}

bool ParseFloat(const std::string& word, float& out)
{
    if (word.empty()) return false;
    errno = 0;
    char* end = nullptr;
    const float v = std::strtof(word.c_str(), &end);
    // The reader turns a non-finite number into 0: the description may not
    // ask for one.
    if (errno != 0 || *end != '\0' || !std::isfinite(v)) return false;
    out = v;
    return true;
}

std::vector<std::string> Words(const std::string& text)
{
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

bool Points(const std::vector<std::string>& words, std::vector<SParticlePoint>& points)
{
    if (words.empty() || words.size() % 2 != 0) return false;
    for (size_t i = 0; i < words.size(); i += 2)
    {
        SParticlePoint p;
        if (!ParseInt(words[i], p.x) || !ParseInt(words[i + 1], p.y)) return false;
        points.push_back(p);
    }
    return true;
}

// One record line's value into file; false when the values do not fit.
bool ParseRecord(const std::string& name, const std::vector<std::string>& words,
                 SParticleFile& file, std::string& why)
{
    if (name == "blend")
    {
        int32_t v;
        why = "takes 0 or 1";
        if (words.size() != 1 || !ParseInt(words[0], v) || (v != 0 && v != 1)) return false;
        file.blend = v != 0;
        return true;
    }
    if (name == "position")
    {
        why = "takes two numbers";
        file.hasPosition = words.size() == 2 && ParseFloat(words[0], file.positionX) &&
                           ParseFloat(words[1], file.positionY);
        return file.hasPosition;
    }
    if (name == "extra_points" || name == "path_points")
    {
        why = "takes pairs of integers";
        return Points(words, name == "extra_points" ? file.extraPoints : file.pathPoints);
    }
    // path_values
    why = "takes two integers";
    file.hasPathValues = words.size() == 2 && ParseInt(words[0], file.pathValues[0]) &&
                         ParseInt(words[1], file.pathValues[1]);
    return file.hasPathValues;
}

bool ParseField(const SParticleField& field, const std::vector<std::string>& words,
                SParticleParams& params, std::string& why)
{
    auto* record = reinterpret_cast<uint8_t*>(&params);
    if (words.size() != 1)
    {
        why = "takes one value";
        return false;
    }
    switch (field.kind)
    {
        case EParticleFieldKind::kFlag:
        {
            int32_t v;
            why = "takes an integer from 0 to 255";
            if (!ParseInt(words[0], v) || v < 0 || v > 255) return false;
            record[field.offset] = static_cast<uint8_t>(v);
            return true;
        }
        case EParticleFieldKind::kInt32:
        {
            int32_t v;
            why = "takes an integer";
            if (!ParseInt(words[0], v)) return false;
            std::memcpy(record + field.offset, &v, 4);
            return true;
        }
        case EParticleFieldKind::kFloat:
        {
            float v;
            why = "takes a finite number";
            if (!ParseFloat(words[0], v)) return false;
            std::memcpy(record + field.offset, &v, 4);
            return true;
        }
    }
    return false;
}

bool Fail(TPsiError& error, int line, std::string message)
{
    error.line = line;
    error.message = std::move(message);
    return false;
}

void PutWord(std::vector<uint8_t>& out, uint32_t v)
{
    uint8_t b[4];
    StoreLittle32(b, v);
    out.insert(out.end(), b, b + 4);
}

void PutFloat(std::vector<uint8_t>& out, float v)
{
    uint32_t w;
    std::memcpy(&w, &v, 4);
    PutWord(out, w);
}

void PutPoints(std::vector<uint8_t>& out, uint8_t tag, const std::vector<SParticlePoint>& points)
{
    if (points.empty()) return;
    out.push_back(tag);
    PutWord(out, static_cast<uint32_t>(points.size()));
    for (const SParticlePoint& p : points)
    {
        PutWord(out, static_cast<uint32_t>(p.x));
        PutWord(out, static_cast<uint32_t>(p.y));
    }
}

}  // namespace

bool ParseParticleDescription(const std::string& text, SParticleFile& file, TPsiError& error)
{
    static const char* const kRecords[] = {"blend", "position", "extra_points", "path_points",
                                           "path_values"};
    file = SParticleFile();
    std::map<std::string, int> seen;  // name -> its line
    std::istringstream in(text);
    int number = 0;
    for (std::string line; std::getline(in, line);)
    {
        ++number;
        if (const size_t hash = line.find('#'); hash != std::string::npos) line.resize(hash);
        if (Words(line).empty()) continue;
        const size_t eq = line.find('=');
        if (eq == std::string::npos) return Fail(error, number, "expected name = value");
        const std::vector<std::string> names = Words(line.substr(0, eq));
        if (names.size() != 1) return Fail(error, number, "expected one name before '='");
        const std::string& name = names[0];
        const std::vector<std::string> values = Words(line.substr(eq + 1));
        if (const auto it = seen.find(name); it != seen.end())
        {
            return Fail(error, number,
                        "\"" + name + "\" was given already on line " + std::to_string(it->second));
        }

        std::string why;
        bool known = false, ok = false;
        for (const SParticleField& field : kParticleFields)
        {
            if (name == field.name)
            {
                known = true;
                ok = ParseField(field, values, file.params, why);
                break;
            }
        }
        for (const char* record : kRecords)
        {
            if (!known && name == record)
            {
                known = true;
                ok = ParseRecord(name, values, file, why);
            }
        }
        if (!known) return Fail(error, number, "unknown name \"" + name + "\"");
        if (!ok) return Fail(error, number, "\"" + name + "\" " + why);
        seen[name] = number;
    }

    for (const SParticleField& field : kParticleFields)
    {
        if (!seen.count(field.name))
            return Fail(error, number + 1, "missing \"" + std::string(field.name) + "\"");
    }
    if (!seen.count("blend")) return Fail(error, number + 1, "missing \"blend\"");
    return true;
}

std::vector<uint8_t> BuildParticleFile(const SParticleFile& file)
{
    std::vector<uint8_t> out(kParticleParamsSize);
    EncodeParticleParams(file.params, out.data());
    if (file.hasPosition)
    {
        out.push_back(kParticleTagPosition);
        PutFloat(out, file.positionX);
        PutFloat(out, file.positionY);
    }
    PutPoints(out, kParticleTagExtraPoints, file.extraPoints);
    PutPoints(out, kParticleTagPathPoints, file.pathPoints);
    if (file.hasPathValues)
    {
        out.push_back(kParticleTagPathValues);
        PutWord(out, static_cast<uint32_t>(file.pathValues[0]));
        PutWord(out, static_cast<uint32_t>(file.pathValues[1]));
    }
    out.push_back(kParticleTagEnd);
    out.push_back(file.blend ? 1 : 0);
    return out;
}

int RunPsi(const std::string& input, const std::string& output, std::ostream& err)
{
    std::ifstream in(input, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    if (!in)
    {
        err << input << ": cannot be read\n";
        return 1;
    }

    SParticleFile file;
    TPsiError error;
    if (!ParseParticleDescription(text.str(), file, error))
    {
        err << input << ':' << error.line << ": " << error.message << '\n';
        return 1;
    }
    const std::vector<uint8_t> bytes = BuildParticleFile(file);
    if (!WriteFileAtomically(output, std::string(bytes.begin(), bytes.end())))
    {
        err << output << ": cannot be written\n";
        return 1;
    }
    return 0;
}
