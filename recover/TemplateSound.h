// The sound setup of a healthy clip of the same camera: its first sound track's AAC sample
// entry, clock and edit list, read from its index.
#pragma once

#include <optional>
#include <string>

#include "recover/SoundSetup.h"
#include "track/ByteSource.h"

// The setup, or nothing with `why` saying why the template gives none (no sound track, or
// sound of another kind than raw AAC frames).
std::optional<SoundSetup> ReadTemplateSound(ByteSource& source, std::string& why);
