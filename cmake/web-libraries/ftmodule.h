/* FreeType's modules in the web build: what the game's one font, a hinted
   TrueType font drawn anti-aliased, needs. The others (Type 1, CFF, bitmap
   fonts, the auto-hinter, the other renderers) would only be downloaded. */
FT_USE_MODULE( FT_Driver_ClassRec, tt_driver_class )
FT_USE_MODULE( FT_Module_Class, sfnt_module_class )
FT_USE_MODULE( FT_Renderer_Class, ft_smooth_renderer_class )
