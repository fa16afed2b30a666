#include "recover/SoundRecovery.h"

#include "recover/AacFrameTrial.h"
#include "recover/TemplateSound.h"
#include "track/ClipFile.h"

RecoveredSound RecoverSound(ByteSource& clip, const std::string& templateClip,
                            std::span<const ByteRange> skipped) {
    RecoveredSound sound;
    if (skipped.empty()) {
        return sound; // nothing but video and camera blocks: no sound to look for
    }
    if (templateClip.empty()) {
        sound.note = "sound, if any, left out: its setup comes only from a template";
        return sound;
    }
    ClipFile file;
    std::string why;
    if (!file.Open(templateClip) || !(sound.setup = ReadTemplateSound(file, why))) {
        sound.note =
            "sound, if any, left out: " + (why.empty() ? "the template cannot be read" : why);
        return sound;
    }
    AacFrameTrial trial(sound.setup->config, sound.setup->channels);
    AacFrameTrial player(sound.setup->config, sound.setup->channels);
    if (!trial.Ready() || !player.Ready()) {
        sound.note = "sound left out: no AAC decoder takes the template's setup";
        return sound;
    }
    sound.frames = FindAacFrames(clip, skipped, trial, player);
    return sound;
}
