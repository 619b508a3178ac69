#include "render/view.h"

namespace vantor::render {

View::View()
    : displayObjects(new ObjectRecord[MAX_OBJECTS]()),
      depthOrder(new DrawEntry[MAX_OBJECTS]()),
      depthZ(new double[MAX_OBJECTS]()),
      staticPoints(new StaticPoint[MAX_STATIC_POINTS]()),
      staticPixels(new StaticPixel[MAX_STATIC_POINTS]()),
      depthKeys(new DepthKey[MAX_OBJECTS]()),
      depthKeyScratch(new DepthKey[MAX_OBJECTS]()),
      unsortedEntries(new DrawEntry[MAX_OBJECTS]()) {}

}  // namespace vantor::render
