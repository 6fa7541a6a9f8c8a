#pragma once
// The studio's standard dialogs speak Brazilian Portuguese: the toolkit's own translations give
// its buttons ("Sim", "Não", "OK", "Cancelar") and its other built-in texts.

namespace ludomat {

// Loads the toolkit's Brazilian Portuguese texts once per application; false when they are not
// installed (the buttons then stay in English, nothing else changes).
bool installToolkitTranslations();

}  // namespace ludomat
