#pragma once
// A seam of the text viewer for tests only; the programs never include this.
#include "shared/PreviewS.h"

#include <functional>

// Replaces what TTrovGamePreviewForm::ShowModal does (tests look at the viewer "while it is
// open" and return at once instead of waiting for a user); an empty function restores the real
// modal window. Returns what was installed before.
using TPreviewModalRunner = std::function<void(TTrovGamePreviewForm&)>;
TPreviewModalRunner SetPreviewModalRunner(TPreviewModalRunner runner);
