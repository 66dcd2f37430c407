// The audio producer: the tables "Звуки" and "Музыка" (tables/sounds.txt, music.txt), the
// synthesised sounds and music, and the logo and intro videos.
//
// Recipes (recipes/audio.txt):
//   <path> vorbis|wav  a synthesised sound: wave=<sine|square|saw|noise|sweep|chord|melody>
//                      seconds=<0.05..20> freq=<Hz> freq2=<Hz, the sweep's end> channels=1|2
//                      rate=<8000..48000> volume=<0..1> envelope=<flat|fade|pluck>
//                      vorbis: quality=<-0.1..1>; the Ogg stream serial comes from the path
//   <path> theora      a video (picture only): seconds=<0.1..10> size=WxH (multiples of 16)
//                      fps=<1..30> and the picture keys of the render recipes (pattern, color,
//                      color2, seed, text, textsize); the pattern moves from frame to frame
#include "platform/win/text.h"
#include "tools/audio/theora_writer.h"
#include "tools/audio/vorbis_writer.h"
#include "tools/audio/wav_writer.h"
#include "tools/mkdata/pictures.h"
#include "tools/mkdata/producers.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace zoq::tools::mkdata {
namespace {

constexpr size_t kSoundNameBytes = 80;
constexpr size_t kMusicNameBytes = 80;

Access SoundAccess(std::string_view path)
{
    // Ogg sounds are decoded from the file layer; WAV files are opened by the multimedia reader.
    return Extension(path) == "ogg" ? Access::FileLayer : Access::Disk;
}

struct SoundParams {
    std::string wave;
    std::string envelope;
    double seconds = 0.5;
    double freq = 440;
    double freq2 = 880;
    double volume = 0.5;
    double quality = 0.3;
    int64_t channels = 1;
    int64_t rate = 22050;
    uint32_t seed = 1;
};

float Noise(uint32_t& state)
{
    state = state * 1664525u + 1013904223u;
    return float(state >> 8) / float(1 << 23) - 1.0f;
}

// Interleaved samples of the sound.
std::vector<float> Synthesise(const SoundParams& s)
{
    const size_t frames = size_t(s.seconds * double(s.rate));
    const size_t channels = size_t(s.channels);
    std::vector<float> out(frames * channels);
    uint32_t noise = s.seed | 1;
    // A pentatonic tune for "melody": one note each quarter second, picked from the seed.
    static constexpr double kScale[] = { 1.0, 9.0 / 8, 5.0 / 4, 3.0 / 2, 5.0 / 3, 2.0 };
    double phase = 0;
    double phase2 = 0;
    for (size_t i = 0; i < frames; ++i) {
        const double t = double(i) / double(s.rate);
        const double u = frames > 1 ? double(i) / double(frames - 1) : 0;
        double f = s.freq;
        if (s.wave == "sweep")
            f = s.freq + (s.freq2 - s.freq) * u;
        if (s.wave == "melody") {
            const size_t note = size_t(t * 4);
            f = s.freq * kScale[(note * 7 + s.seed) % 6];
        }
        phase += f / double(s.rate);
        phase2 += f * 1.5 / double(s.rate);
        const double p = phase - std::floor(phase);
        double v = 0;
        if (s.wave == "sine" || s.wave == "sweep" || s.wave == "melody")
            v = std::sin(2 * std::numbers::pi * p);
        else if (s.wave == "square")
            v = p < 0.5 ? 0.6 : -0.6;
        else if (s.wave == "saw")
            v = 2 * p - 1;
        else if (s.wave == "noise")
            v = Noise(noise);
        else if (s.wave == "chord")
            v = 0.6 * std::sin(2 * std::numbers::pi * p) + 0.4 * std::sin(2 * std::numbers::pi * phase2);
        double gain = 1;
        if (s.envelope == "fade")
            gain = std::min({ 1.0, t * 50, (1 - u) * 10 });
        else if (s.envelope == "pluck")
            gain = std::min(1.0, t * 200) * std::exp(-4 * u);
        else if (s.wave == "melody")
            gain = std::min(1.0, std::fmod(t, 0.25) * 40) * (0.6 + 0.4 * std::exp(-8 * std::fmod(t, 0.25)));
        for (size_t c = 0; c < channels; ++c) {
            // The second channel lags a little, so stereo files are not two equal channels.
            const double pan = c == 0 ? 1.0 : 0.85;
            out[i * channels + c] = float(v * gain * s.volume * pan);
        }
    }
    return out;
}

bool AddSound(ProducerContext& context, const Recipe& recipe, RecipeParams& params, std::string& error)
{
    SoundParams sound;
    sound.seed = uint32_t(SerialFor(recipe.path));
    const bool ok = params.Choice("wave", { "sine", "square", "saw", "noise", "sweep", "chord", "melody" },
                        "sine", sound.wave)
        && params.Choice("envelope", { "flat", "fade", "pluck" }, "fade", sound.envelope)
        && params.Float("seconds", 0.5, 0.05, 20, sound.seconds)
        && params.Float("freq", 440, 20, 12000, sound.freq)
        && params.Float("freq2", 880, 20, 12000, sound.freq2)
        && params.Float("volume", 0.5, 0, 1, sound.volume) && params.Int("channels", 1, 1, 2, sound.channels)
        && params.Int("rate", 22050, 8000, 48000, sound.rate)
        && (recipe.name != "vorbis" || params.Float("quality", 0.3, -0.1, 1, sound.quality))
        && params.Finish();
    if (!ok) {
        error = params.Error();
        return false;
    }
    DataFile& file = context.set.AddFile(recipe.path, recipe.origin, true);
    if (recipe.name == "wav") {
        file.make = [sound](Bytes& out, std::string&) {
            const std::vector<float> samples = Synthesise(sound);
            std::vector<int16_t> pcm(samples.size());
            for (size_t i = 0; i < samples.size(); ++i)
                pcm[i] = int16_t(std::lround(std::clamp(samples[i], -1.0f, 1.0f) * 32767.0f));
            audio::WavFormat wav;
            wav.channels = uint16_t(sound.channels);
            wav.rate = uint32_t(sound.rate);
            wav.bits = 16;
            out = audio::MakeWav(wav, audio::PcmBytes(pcm));
            return true;
        };
    } else {
        const int serial = SerialFor(recipe.path);
        file.make = [sound, serial](Bytes& out, std::string& why) {
            audio::VorbisOptions options;
            options.quality = float(sound.quality);
            options.serial = serial;
            out = audio::EncodeVorbis(
                Synthesise(sound), uint16_t(sound.channels), uint32_t(sound.rate), options);
            if (out.empty())
                why = "the Vorbis encoder failed";
            return !out.empty();
        };
    }
    return true;
}

bool AddVideo(ProducerContext& context, const Recipe& recipe, RecipeParams& params, std::string& error)
{
    double seconds = 1;
    int64_t fps = 10;
    PictureParams image;
    std::string pattern;
    int64_t seed = 0;
    bool ok = params.Float("seconds", 1, 0.1, 10, seconds) && params.Int("fps", 10, 1, 30, fps)
        && params.Size("size", 160, 96, 16, 1024, image.width, image.height)
        && params.Choice("pattern", PatternNames(), "gradient", pattern)
        && params.Color("color", 0xFF203060u, image.color)
        && params.Color("color2", 0xFFE0E0FFu, image.color2)
        && params.Int("seed", SerialFor(recipe.path), 0, 0x7FFFFFFF, seed);
    std::string text = params.Text("text", "");
    std::replace(text.begin(), text.end(), '_', ' ');
    int64_t textSize = 0;
    ok = ok && params.Int("textsize", int64_t(image.height / 4), 6, 256, textSize) && params.Finish();
    if (!ok) {
        error = params.Error();
        return false;
    }
    if (image.width % 16 || image.height % 16) {
        error = recipe.origin.Where() + ": a video's sides are multiples of 16";
        return false;
    }
    image.pattern = pattern;
    image.seed = uint32_t(seed);
    DataFile& file = context.set.AddFile(recipe.path, recipe.origin, true);
    file.make = [image, seconds, fps, text, textSize](Bytes& out, std::string& why) {
        audio::TheoraParams theora;
        theora.width = image.width;
        theora.height = image.height;
        theora.fpsNumerator = uint32_t(fps);
        theora.fpsDenominator = 1;
        audio::TheoraWriter writer;
        if (!writer.Begin(theora, why))
            return false;
        const int frames = std::max(1, int(std::lround(seconds * double(fps))));
        for (int f = 0; f < frames; ++f) {
            PictureParams frameImage = image;
            frameImage.phase = f * int(image.width) / (frames * 2);
            Picture picture = MakePicture(frameImage);
            if (!text.empty() && !DrawText(picture, text, uint32_t(textSize), image.color2, why))
                return false;
            if (!writer.AddFrame(picture.argb, why))
                return false;
        }
        out = writer.Finish();
        return true;
    };
    return true;
}

} // namespace

bool ProduceAudio(ProducerContext& context, std::string& error)
{
    if (!LoadTables(context, { "sounds.txt", "music.txt" }, error))
        return false;
    const char* sounds = CP1251("Звуки");
    const char* music = CP1251("Музыка");
    ReferFileField(context, sounds, "Filename", kSoundNameBytes, SoundAccess);
    ReferFileField(context, music, "Filename", kMusicNameBytes, nullptr, Access::Disk);
    NeedRows(context, music, { "MUS_LOC1", "MUS_FIGHT", "MUS_CALM", "MUS_DEATH", "MUS_OBSERVER" },
        "the game flow's music");
    NeedRows(context, sounds, { "SND_FX_TUNNEL" }, "the tunnel ride");

    // The video player opens "Data\Video\<name>.bik" as "<name>.ogv", from disk.
    const Origin videoOrigin = context.sources.At("recipes/audio.txt", 1);
    for (const char* name : { "logo1", "logo2", "logo3", "logo4", "intro" })
        context.set.AddReference(
            { std::string("Data\\Video\\") + name + ".ogv", videoOrigin, Access::Disk, 0 });

    std::vector<Recipe> recipes;
    if (!ReadRecipes(context.sources, "audio", recipes, error))
        return false;
    for (const Recipe& recipe : recipes) {
        RecipeParams params(recipe);
        bool ok = false;
        if (recipe.name == "vorbis" || recipe.name == "wav")
            ok = AddSound(context, recipe, params, error);
        else if (recipe.name == "theora")
            ok = AddVideo(context, recipe, params, error);
        else
            error = recipe.origin.Where() + ": unknown recipe '" + recipe.name
                + "' (audio makes: vorbis, wav, theora)";
        if (!ok)
            return false;
    }
    return true;
}

} // namespace zoq::tools::mkdata
