// Where the playfield goes in the visible part of the page, and how large.
// A pure function of what the page measures, so that the tests can try any
// screen, density and zoom on it directly.
//
//   view.width, view.height  the visible viewport, CSS px
//   view.insets              the safe areas (a notch), CSS px: top, right, bottom, left
//   view.ratio               device px per CSS px (density times zoom)
//   view.screen              true: use the screen (a finger, or full screen);
//                            false: the desktop's scale for the density
//   view.below               CSS px kept under the playfield (the hint)
//   view.right               CSS px kept at its right (the hint beside it)
//   view.pixels              the playfield, width and height in its own pixels
//
// Returns scale (CSS px per playfield pixel), device (device px per
// playfield pixel), crisp (device is a whole number) and the playfield's
// place: left, top, width, height in CSS px, left and top on brennowGrid.
function brennowFit(view) {
    // A whole number of device pixels per playfield pixel is crisp; it is
    // taken while it gives at least this share of the largest size that fits.
    const WHOLE_ENOUGH = 0.75;
    // The desktop keeps a margin at the sides, and today's gap above while
    // the window has room for it.
    const SIDE = view.screen ? 0 : 8;
    const ABOVE = view.screen ? Infinity : 24;
    const EPSILON = 1e-6;

    const insets = view.insets || { top: 0, right: 0, bottom: 0, left: 0 };
    const pixels = view.pixels || { width: 464, height: 349 };
    const ratio = view.ratio > 0 ? view.ratio : 1;
    const roomX = Math.max(0, view.width - insets.left - insets.right - (view.right || 0));
    const roomY = Math.max(0, view.height - insets.top - insets.bottom - (view.below || 0));
    // The largest aspect-keeping size, in device px per playfield pixel.
    const largest = Math.min(Math.max(0, roomX - 2 * SIDE) / pixels.width, roomY / pixels.height) * ratio;
    const whole = Math.floor(largest + EPSILON);
    // The desktop build's scale for the density: three quarters of a step up count as a step.
    const desktop = Math.max(1, Math.floor(ratio + 0.25));
    let device;
    if (!view.screen && desktop <= largest + EPSILON) {
        device = desktop;
    } else if (whole >= 1 && whole >= WHOLE_ENOUGH * largest) {
        device = whole;
    } else {
        device = largest;  // fill, or scale down where not even one device pixel fits
    }
    const scale = device / ratio;
    const width = pixels.width * scale;
    const height = pixels.height * scale;
    const grid = brennowGrid(ratio);
    const snap = (value) => Math.round(value / grid) * grid;
    const free = Math.max(0, roomY - height);
    return {
        scale,
        device,
        crisp: Math.abs(device - Math.round(device)) < EPSILON,
        left: snap(insets.left + (roomX - width) / 2),
        top: snap(insets.top + Math.min(ABOVE, free / 2)),
        width,
        height,
    };
}

// The finest step of CSS px at which a position is a whole number of device
// pixels that the browser can also lay out exactly (it lays out in 64ths of
// a CSS px): whole CSS px at 3 device px each, halves at 2. Anywhere else the
// browser resamples the playfield, and it is no longer crisp.
function brennowGrid(ratio) {
    for (let devicePixels = 1; devicePixels <= 1024; ++devicePixels) {
        const css = devicePixels / ratio;
        if (Math.abs(css * 64 - Math.round(css * 64)) < 1e-6) {
            return css;
        }
    }
    return 1 / 64;
}

// Where the box goes over the playfield placed by fit: its pixels scaled as
// the playfield's, the whole dialog (the title bar, title CSS px high, over
// the pixels) centred over the playfield. Returns the dialog's left and top
// and the pixels' width and height, in CSS px; title should be on the grid.
function brennowPlaceBox(fit, box, title, ratio) {
    const grid = brennowGrid(ratio);
    const snap = (value) => Math.round(value / grid) * grid;
    const width = box.width * fit.scale;
    const height = box.height * fit.scale;
    return {
        left: snap(fit.left + (fit.width - width) / 2),
        top: snap(fit.top + (fit.height - height - title) / 2),
        width,
        height,
    };
}
