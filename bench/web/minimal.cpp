// The least a web page built like the game can do: ASYNCIFY and exceptions as
// the game has them, a 464 x 349 canvas filled black with one putImageData,
// then a wait that only a click ends. After the click it presents the whole
// frame 64 times a second, sleeping until each deadline as the game's loop
// does: what a round costs at the least.
#include <emscripten.h>
#include <emscripten/html5.h>

#include <cmath>
#include <vector>

EM_ASYNC_JS(void, minimal_sleep, (double milliseconds), {
    await new Promise((resolve) => {
        const timer = milliseconds >= 0 ? setTimeout(resolve, milliseconds) : null;
        Module['minimalWake'] = () => {
            if (timer !== null) {
                clearTimeout(timer);
            }
            resolve();
        };
    });
    Module['minimalWake'] = null;
});

EM_JS(void, minimal_wake, (), {
    if (Module['minimalWake']) {
        Module['minimalWake']();
    }
});

EM_JS(void, minimal_put, (const unsigned char* pixels, int width, int height), {
    const context = document.getElementById('canvas').getContext('2d', {alpha : false});
    context.putImageData(new ImageData(new Uint8ClampedArray(HEAPU8.buffer, pixels, width * height * 4), width, height),
                         0, 0);
});

namespace {

constexpr int kWidth = 464;
constexpr int kHeight = 349;
constexpr double kPeriod = 15.625;  // milliseconds

bool clicked = false;

EM_BOOL OnClick(int /*type*/, const EmscriptenMouseEvent* /*event*/, void* /*data*/)
{
    clicked = true;
    minimal_wake();
    return EM_TRUE;
}

}  // namespace

int main()
{
    emscripten_set_canvas_element_size("#canvas", kWidth, kHeight);
    emscripten_set_click_callback("#canvas", nullptr, EM_FALSE, OnClick);
    std::vector<unsigned char> frame(static_cast<std::size_t>(kWidth) * kHeight * 4, 0);
    for (std::size_t i = 3; i < frame.size(); i += 4) {
        frame[i] = 0xFF;
    }
    minimal_put(frame.data(), kWidth, kHeight);
    while (!clicked) {
        minimal_sleep(-1);
    }
    double deadline = emscripten_get_now() + kPeriod;
    for (;;) {
        const double left = deadline - emscripten_get_now();
        if (left > 0) {
            minimal_sleep(std::ceil(left));
        }
        minimal_put(frame.data(), kWidth, kHeight);
        deadline += kPeriod;
    }
}
