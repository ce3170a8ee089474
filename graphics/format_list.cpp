#include "bmp_format.h"
#include "format_registry.h"
#include "gif_format.h"
#include "ico_format.h"
#include "jpeg_format.h"
#include "pcx_format.h"
#include "png_format.h"
#include "pxm_format.h"
#include "tga_format.h"
#include "tiff_format.h"

// Formats in registration order; the registry sorts them by extension afterwards.
void RegisterStandardFormats(TPGRegistry& registry) {
    RegisterBMPFormats(registry);
    RegisterJPEGFormats(registry);
    RegisterPNGFormats(registry);
    RegisterPCXFormats(registry);
    RegisterPxMFormats(registry);
    RegisterTGAFormats(registry);
    RegisterTIFFFormats(registry);
    RegisterICOFormat(registry);
    RegisterGIFFormat(registry);
}
