// The framework's icon glyphs: each code point it draws, and the open-licence icon that stands there.
export const fontFamily = 'Vel Fluent Icons';

export const glyphs = [
  [0xe003, 'checkbox_unchecked_20_regular'],  // check box frame
  [0xe005, 'checkbox_checked_20_filled'],     // checked box
  [0xe73b, 'square_20_filled'],               // check box fill
  [0xe73c, 'subtract_20_filled'],             // indeterminate mark
  [0xe73e, 'checkmark_20_regular'],           // check mark
  [0xe915, 'circle_small_20_filled'],         // radio item
  [0xe91f, 'circle_20_filled'],               // radio fill
  [0xecca, 'circle_20_regular'],              // radio frame
  [0xeccc, 'circle_small_20_filled'],         // radio dot
  [0xe70d, 'chevron_down_20_regular'],
  [0xe76c, 'chevron_right_20_regular'],
  [0xe734, 'star_20_regular'],
  [0xe100, 'arrow_left_20_regular'],          // previous
  [0xe101, 'arrow_right_20_regular'],         // next
  [0xe102, 'play_20_regular'],                // install
  [0xe10a, 'dismiss_20_regular'],             // close
  [0xe107, 'delete_20_regular'],
  [0xe118, 'arrow_download_20_regular'],      // installing
  [0xe16f, 'copy_20_regular'],
  [0xe8c6, 'cut_20_regular'],
  [0xe8c8, 'copy_20_regular'],
  [0xe77f, 'clipboard_paste_20_regular'],
  [0xe7a7, 'arrow_undo_20_regular'],
  [0xe8b3, 'select_all_on_20_regular'],
  [0xe97c, 'people_20_regular'],              // install type
  [0xe977, 'person_20_regular'],
  [0xf259, 'apps_20_regular'],                // running processes
  [0xea39, 'error_circle_20_regular'],
  [0xea3a, 'circle_20_regular'],
  [0xe8a6, 'document_text_20_regular'],       // licence
  [0xf0e3, 'box_20_regular'],                 // package
  [0xf167, 'info_20_regular'],
];
