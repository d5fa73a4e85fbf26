#include "core/view_layer.h"

TViewLayer& ViewLayer() {
    static TViewLayer layer;
    return layer;
}
