// The other camera of an excerpt as the window shows it: which camera's clip goes with each
// piece, and where its picture sits in the main one.
#pragma once

#include "evidence/ExcerptRequest.h"

#include <string>
#include <vector>

// The first other camera of the first piece's moment, found again in each piece's moment;
// an empty name for a piece it recorded nothing of. None when the first piece has none.
std::vector<std::string> ExcerptBeside(const std::vector<ExcerptPiece>& pieces);

// Where the window draws the second camera's picture, as shares of the main picture; the
// default corner when the window shows no small picture over the main camera's.
SmallPicture WindowSmallPicture();
