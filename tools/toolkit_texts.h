#pragma once
// The toolkit's own texts of the command-line tools ("Uso:", "Opções:", the help and version
// options) in Portuguese, like the rest of what they say.

namespace ludomat {

// Loads the toolkit's Portuguese translations into the running application; false when they are
// not installed (the texts then stay in English). Call it before parsing the command line.
bool useToolkitTranslations();

}  // namespace ludomat
