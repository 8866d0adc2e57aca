/* HarfBuzz in the web build is HB_LEAN, but keeps the OpenType device
   tables, which adjust the font's kerning at small sizes: the box's text is
   8 points, and without them it comes out two pixels wider. */
#undef HB_NO_HINTING
