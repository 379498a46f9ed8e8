// Loads the board pictures from the embedded resources.
#include "app/program_pictures.h"

#include "platform/raster/bmp.h"
#include "resources/embedded_resources.h"
#include "resources/program_resources.h"

namespace {

bool decodeResource(const char* name, Surface& out) {
    const EmbeddedResource* resource = findResource(name);
    return resource != nullptr && decodeBmp(resource->bytes(), out) == BmpStatus::Ok;
}

}  // namespace

bool loadProgramPictures(Pictures& pictures, const char** failed) {
    const struct {
        const char* name;
        Surface* surface;
    } wanted[] = {
        {RES_SITE_PICTURE, &pictures.board},
        {RES_TRUCK, &pictures.truck},
        {RES_TRUCK_MASK, &pictures.truckMask},
        {RES_TITLE_PICTURE, &pictures.start},
    };
    for (const auto& w : wanted) {
        if (!decodeResource(w.name, *w.surface)) {
            if (failed != nullptr) *failed = w.name;
            return false;
        }
    }
    return true;
}
