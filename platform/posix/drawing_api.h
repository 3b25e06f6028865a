// Cairo, pango and fontconfig through a table filled the first time something is drawn or measured,
// so that a program that draws nothing (a silent installation) never loads them and the twenty-odd
// libraries they bring (loading them took about 10 ms of every start).
#pragma once

#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>
#include <pango/pangofc-fontmap.h>

namespace platform::drawing {

// Every function of these libraries the canvas calls, directly or through their headers' macros.
#define VEL_DRAWING_FUNCTIONS(X) \
  X(FcConfigAppFontAddFile) \
  X(FcConfigGetCurrent) \
  X(FcConfigParseAndLoadFromMemory) \
  X(FcFontList) \
  X(FcFontSetDestroy) \
  X(FcObjectSetBuild) \
  X(FcObjectSetDestroy) \
  X(FcPatternAddString) \
  X(FcPatternCreate) \
  X(FcPatternDestroy) \
  X(cairo_arc) \
  X(cairo_arc_negative) \
  X(cairo_clip) \
  X(cairo_close_path) \
  X(cairo_create) \
  X(cairo_destroy) \
  X(cairo_fill) \
  X(cairo_get_matrix) \
  X(cairo_get_source) \
  X(cairo_image_surface_create_for_data) \
  X(cairo_image_surface_create_from_png_stream) \
  X(cairo_image_surface_get_data) \
  X(cairo_image_surface_get_format) \
  X(cairo_image_surface_get_height) \
  X(cairo_image_surface_get_stride) \
  X(cairo_image_surface_get_width) \
  X(cairo_line_to) \
  X(cairo_move_to) \
  X(cairo_new_path) \
  X(cairo_paint) \
  X(cairo_paint_with_alpha) \
  X(cairo_pattern_set_extend) \
  X(cairo_pattern_set_filter) \
  X(cairo_rectangle) \
  X(cairo_restore) \
  X(cairo_save) \
  X(cairo_scale) \
  X(cairo_set_antialias) \
  X(cairo_set_line_width) \
  X(cairo_set_operator) \
  X(cairo_set_source_rgba) \
  X(cairo_set_source_surface) \
  X(cairo_status) \
  X(cairo_status_to_string) \
  X(cairo_stroke) \
  X(cairo_surface_destroy) \
  X(cairo_surface_flush) \
  X(cairo_surface_status) \
  X(cairo_translate) \
  X(g_object_unref) \
  X(g_type_check_instance_cast) \
  X(pango_attr_list_insert) \
  X(pango_attr_list_new) \
  X(pango_attr_list_unref) \
  X(pango_attr_strikethrough_new) \
  X(pango_attr_underline_new) \
  X(pango_cairo_create_layout) \
  X(pango_cairo_font_map_get_default) \
  X(pango_cairo_show_layout) \
  X(pango_cairo_update_layout) \
  X(pango_fc_font_map_config_changed) \
  X(pango_fc_font_map_get_type) \
  X(pango_font_describe) \
  X(pango_font_description_free) \
  X(pango_font_description_get_family) \
  X(pango_font_description_new) \
  X(pango_font_description_set_absolute_size) \
  X(pango_font_description_set_family) \
  X(pango_font_description_set_style) \
  X(pango_font_description_set_weight) \
  X(pango_font_map_create_context) \
  X(pango_font_map_load_font) \
  X(pango_layout_get_baseline) \
  X(pango_layout_get_extents) \
  X(pango_layout_get_unknown_glyphs_count) \
  X(pango_layout_set_attributes) \
  X(pango_layout_set_font_description) \
  X(pango_layout_set_text)

struct TApi {
#define VEL_DRAWING_MEMBER(name) decltype(&::name) name;
  VEL_DRAWING_FUNCTIONS(VEL_DRAWING_MEMBER)
#undef VEL_DRAWING_MEMBER
};

// The table, loaded on first use; std::runtime_error naming the library or function that is missing.
const TApi& Api();

}  // namespace platform::drawing

// Calls in the canvas's source read as plain library calls and go through the table.
#ifndef VEL_DRAWING_TABLE_ITSELF
#define FcConfigAppFontAddFile(...) ::platform::drawing::Api().FcConfigAppFontAddFile(__VA_ARGS__)
#define FcConfigGetCurrent(...) ::platform::drawing::Api().FcConfigGetCurrent(__VA_ARGS__)
#define FcConfigParseAndLoadFromMemory(...) ::platform::drawing::Api().FcConfigParseAndLoadFromMemory(__VA_ARGS__)
#define FcFontList(...) ::platform::drawing::Api().FcFontList(__VA_ARGS__)
#define FcFontSetDestroy(...) ::platform::drawing::Api().FcFontSetDestroy(__VA_ARGS__)
#define FcObjectSetBuild(...) ::platform::drawing::Api().FcObjectSetBuild(__VA_ARGS__)
#define FcObjectSetDestroy(...) ::platform::drawing::Api().FcObjectSetDestroy(__VA_ARGS__)
#define FcPatternAddString(...) ::platform::drawing::Api().FcPatternAddString(__VA_ARGS__)
#define FcPatternCreate(...) ::platform::drawing::Api().FcPatternCreate(__VA_ARGS__)
#define FcPatternDestroy(...) ::platform::drawing::Api().FcPatternDestroy(__VA_ARGS__)
#define cairo_arc(...) ::platform::drawing::Api().cairo_arc(__VA_ARGS__)
#define cairo_arc_negative(...) ::platform::drawing::Api().cairo_arc_negative(__VA_ARGS__)
#define cairo_clip(...) ::platform::drawing::Api().cairo_clip(__VA_ARGS__)
#define cairo_close_path(...) ::platform::drawing::Api().cairo_close_path(__VA_ARGS__)
#define cairo_create(...) ::platform::drawing::Api().cairo_create(__VA_ARGS__)
#define cairo_destroy(...) ::platform::drawing::Api().cairo_destroy(__VA_ARGS__)
#define cairo_fill(...) ::platform::drawing::Api().cairo_fill(__VA_ARGS__)
#define cairo_get_matrix(...) ::platform::drawing::Api().cairo_get_matrix(__VA_ARGS__)
#define cairo_get_source(...) ::platform::drawing::Api().cairo_get_source(__VA_ARGS__)
#define cairo_image_surface_create_for_data(...) ::platform::drawing::Api().cairo_image_surface_create_for_data(__VA_ARGS__)
#define cairo_image_surface_create_from_png_stream(...) ::platform::drawing::Api().cairo_image_surface_create_from_png_stream(__VA_ARGS__)
#define cairo_image_surface_get_data(...) ::platform::drawing::Api().cairo_image_surface_get_data(__VA_ARGS__)
#define cairo_image_surface_get_format(...) ::platform::drawing::Api().cairo_image_surface_get_format(__VA_ARGS__)
#define cairo_image_surface_get_height(...) ::platform::drawing::Api().cairo_image_surface_get_height(__VA_ARGS__)
#define cairo_image_surface_get_stride(...) ::platform::drawing::Api().cairo_image_surface_get_stride(__VA_ARGS__)
#define cairo_image_surface_get_width(...) ::platform::drawing::Api().cairo_image_surface_get_width(__VA_ARGS__)
#define cairo_line_to(...) ::platform::drawing::Api().cairo_line_to(__VA_ARGS__)
#define cairo_move_to(...) ::platform::drawing::Api().cairo_move_to(__VA_ARGS__)
#define cairo_new_path(...) ::platform::drawing::Api().cairo_new_path(__VA_ARGS__)
#define cairo_paint(...) ::platform::drawing::Api().cairo_paint(__VA_ARGS__)
#define cairo_paint_with_alpha(...) ::platform::drawing::Api().cairo_paint_with_alpha(__VA_ARGS__)
#define cairo_pattern_set_extend(...) ::platform::drawing::Api().cairo_pattern_set_extend(__VA_ARGS__)
#define cairo_pattern_set_filter(...) ::platform::drawing::Api().cairo_pattern_set_filter(__VA_ARGS__)
#define cairo_rectangle(...) ::platform::drawing::Api().cairo_rectangle(__VA_ARGS__)
#define cairo_restore(...) ::platform::drawing::Api().cairo_restore(__VA_ARGS__)
#define cairo_save(...) ::platform::drawing::Api().cairo_save(__VA_ARGS__)
#define cairo_scale(...) ::platform::drawing::Api().cairo_scale(__VA_ARGS__)
#define cairo_set_antialias(...) ::platform::drawing::Api().cairo_set_antialias(__VA_ARGS__)
#define cairo_set_line_width(...) ::platform::drawing::Api().cairo_set_line_width(__VA_ARGS__)
#define cairo_set_operator(...) ::platform::drawing::Api().cairo_set_operator(__VA_ARGS__)
#define cairo_set_source_rgba(...) ::platform::drawing::Api().cairo_set_source_rgba(__VA_ARGS__)
#define cairo_set_source_surface(...) ::platform::drawing::Api().cairo_set_source_surface(__VA_ARGS__)
#define cairo_status(...) ::platform::drawing::Api().cairo_status(__VA_ARGS__)
#define cairo_status_to_string(...) ::platform::drawing::Api().cairo_status_to_string(__VA_ARGS__)
#define cairo_stroke(...) ::platform::drawing::Api().cairo_stroke(__VA_ARGS__)
#define cairo_surface_destroy(...) ::platform::drawing::Api().cairo_surface_destroy(__VA_ARGS__)
#define cairo_surface_flush(...) ::platform::drawing::Api().cairo_surface_flush(__VA_ARGS__)
#define cairo_surface_status(...) ::platform::drawing::Api().cairo_surface_status(__VA_ARGS__)
#define cairo_translate(...) ::platform::drawing::Api().cairo_translate(__VA_ARGS__)
#define g_object_unref(...) ::platform::drawing::Api().g_object_unref(__VA_ARGS__)
#define g_type_check_instance_cast(...) ::platform::drawing::Api().g_type_check_instance_cast(__VA_ARGS__)
#define pango_attr_list_insert(...) ::platform::drawing::Api().pango_attr_list_insert(__VA_ARGS__)
#define pango_attr_list_new(...) ::platform::drawing::Api().pango_attr_list_new(__VA_ARGS__)
#define pango_attr_list_unref(...) ::platform::drawing::Api().pango_attr_list_unref(__VA_ARGS__)
#define pango_attr_strikethrough_new(...) ::platform::drawing::Api().pango_attr_strikethrough_new(__VA_ARGS__)
#define pango_attr_underline_new(...) ::platform::drawing::Api().pango_attr_underline_new(__VA_ARGS__)
#define pango_cairo_create_layout(...) ::platform::drawing::Api().pango_cairo_create_layout(__VA_ARGS__)
#define pango_cairo_font_map_get_default(...) ::platform::drawing::Api().pango_cairo_font_map_get_default(__VA_ARGS__)
#define pango_cairo_show_layout(...) ::platform::drawing::Api().pango_cairo_show_layout(__VA_ARGS__)
#define pango_cairo_update_layout(...) ::platform::drawing::Api().pango_cairo_update_layout(__VA_ARGS__)
#define pango_fc_font_map_config_changed(...) ::platform::drawing::Api().pango_fc_font_map_config_changed(__VA_ARGS__)
#define pango_fc_font_map_get_type(...) ::platform::drawing::Api().pango_fc_font_map_get_type(__VA_ARGS__)
#define pango_font_describe(...) ::platform::drawing::Api().pango_font_describe(__VA_ARGS__)
#define pango_font_description_free(...) ::platform::drawing::Api().pango_font_description_free(__VA_ARGS__)
#define pango_font_description_get_family(...) ::platform::drawing::Api().pango_font_description_get_family(__VA_ARGS__)
#define pango_font_description_new(...) ::platform::drawing::Api().pango_font_description_new(__VA_ARGS__)
#define pango_font_description_set_absolute_size(...) ::platform::drawing::Api().pango_font_description_set_absolute_size(__VA_ARGS__)
#define pango_font_description_set_family(...) ::platform::drawing::Api().pango_font_description_set_family(__VA_ARGS__)
#define pango_font_description_set_style(...) ::platform::drawing::Api().pango_font_description_set_style(__VA_ARGS__)
#define pango_font_description_set_weight(...) ::platform::drawing::Api().pango_font_description_set_weight(__VA_ARGS__)
#define pango_font_map_create_context(...) ::platform::drawing::Api().pango_font_map_create_context(__VA_ARGS__)
#define pango_font_map_load_font(...) ::platform::drawing::Api().pango_font_map_load_font(__VA_ARGS__)
#define pango_layout_get_baseline(...) ::platform::drawing::Api().pango_layout_get_baseline(__VA_ARGS__)
#define pango_layout_get_extents(...) ::platform::drawing::Api().pango_layout_get_extents(__VA_ARGS__)
#define pango_layout_get_unknown_glyphs_count(...) ::platform::drawing::Api().pango_layout_get_unknown_glyphs_count(__VA_ARGS__)
#define pango_layout_set_attributes(...) ::platform::drawing::Api().pango_layout_set_attributes(__VA_ARGS__)
#define pango_layout_set_font_description(...) ::platform::drawing::Api().pango_layout_set_font_description(__VA_ARGS__)
#define pango_layout_set_text(...) ::platform::drawing::Api().pango_layout_set_text(__VA_ARGS__)
#endif
