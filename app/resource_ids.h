#pragma once
// Resource identifiers shared by velmora.rc and the code.
#define IDI_VELMORA 1
#define IDB_GLYPH_NEW 201
#define IDB_GLYPH_OPEN 202
#define IDB_GLYPH_SAVE 203
#define IDB_GLYPH_CUT 204
#define IDB_GLYPH_COPY 205
#define IDB_GLYPH_PASTE 206
#define IDB_GLYPH_FIND 207
#define IDB_GLYPH_REPLACE 208
#define IDB_GLYPH_GENERATE 209
#define IDB_GLYPH_LIBMAN 210
#define IDB_GLYPH_ADJLIB 211
#define IDD_ABOUT 301
