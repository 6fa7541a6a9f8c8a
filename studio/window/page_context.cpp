#include "studio/window/page_context.h"

#include "engine/engine.h"
#include "studio/files/studio_files.h"

namespace ludomat {

const EngineState& PageContext::state() const
{
    return engine->state();
}

const QString& PageContext::gameFolder() const
{
    return files->gameFolder();
}

}  // namespace ludomat
