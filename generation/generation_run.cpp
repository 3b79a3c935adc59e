#include "generation/generation_run.h"

#include "app/batadd.h"

namespace generation {

void RunGeneration(app::TMDIForm&) {}

}  // namespace generation
