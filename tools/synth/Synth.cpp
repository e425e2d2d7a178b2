// Reading, rendering, encoding and writing one sound.
#include "synth/Synth.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "synth/SynthRender.h"
#include "synth/SynthScore.h"

const TOggEncoding kSynthEncoding = {0.4f, 0x4f52564c};

bool WriteFileAtomically(const std::string& path, const std::string& bytes)
{
    std::error_code ignored;
    const std::filesystem::path target(path);
    if (target.has_parent_path()) std::filesystem::create_directories(target.parent_path(), ignored);
    std::string pattern = path + ".tmp-XXXXXX";
    const int fd = mkstemp(pattern.data());
    if (fd < 0) return false;
    size_t written = 0;
    while (written < bytes.size())
    {
        const ssize_t n = write(fd, bytes.data() + written, bytes.size() - written);
        if (n <= 0) break;
        written += static_cast<size_t>(n);
    }
    // mkstemp makes the file private; the result is an ordinary asset.
    const bool ok = written == bytes.size() && fchmod(fd, 0644) == 0 && fsync(fd) == 0;
    if (close(fd) != 0 || !ok || rename(pattern.c_str(), path.c_str()) != 0)
    {
        unlink(pattern.c_str());
        return false;
    }
    return true;
}

namespace
{

// The whole file; false when it cannot be opened or read (a folder, say).
bool ReadWholeFile(const std::string& path, std::string& text)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    char buffer[65536];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
    const bool ok = std::ferror(file) == 0;
    std::fclose(file);
    return ok;
}

}  // namespace

int RunSynth(const std::string& input, const std::string& output, std::ostream& err)
{
    std::string text;
    if (!ReadWholeFile(input, text))
    {
        err << input << ": cannot be read\n";
        return 1;
    }

    TSynthScore score;
    TSynthError error;
    TSynthOutput sound;
    if (!ParseSynthScore(text, score, error) || !RenderSynthScore(score, sound, error))
    {
        err << input;
        if (error.line > 0) err << ':' << error.line;
        err << ": " << error.message << '\n';
        return 1;
    }
    if (sound.clipped > 0)
        err << input << ": warning: " << sound.clipped << " samples clipped; lower the levels\n";

    std::vector<uint8_t> ogg;
    if (!EncodeOggVorbis(sound.samples, score.channels, score.rate, kSynthEncoding, ogg))
    {
        err << input << ": the encoder refuses " << score.channels << " channels at "
            << score.rate << " Hz\n";
        return 1;
    }
    if (!WriteFileAtomically(output, std::string(ogg.begin(), ogg.end())))
    {
        err << output << ": cannot be written\n";
        return 1;
    }
    return 0;
}
