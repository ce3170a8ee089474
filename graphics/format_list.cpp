#include "bmp_format.h"
#include "format_registry.h"

// Formats in registration order; the registry sorts them by extension afterwards.
void RegisterStandardFormats(TPGRegistry& registry) {
    RegisterBMPFormats(registry);
}
