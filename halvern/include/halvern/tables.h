/*
 * The layer, line-type and block tables of a drawing.
 *
 * Each table is a growable array of pointers to entries; every entry is one AllocVec
 * block holding the record and its NUL-terminated name, which the name pointer points
 * at. Growth allocates a larger pointer array and never moves an entry, so entry and
 * name addresses stay valid until the table is freed (INSERT items keep bi_Name).
 * Names compare exactly (case-sensitive). Index 0 of the layer and line-type tables is
 * the automatic entry with the empty name, made with the table's first growth.
 */
#ifndef HALVERN_TABLES_H
#define HALVERN_TABLES_H

#include "halvern/api.h"
#include "halvern/types.h"

HALVERN_BEGIN_DECLS

/* Bits of ld_Flags. */
enum DXFTableEntryFlags {
    DXFLayerOff = 1,        /* the layer's items are neither drawn, walked nor measured */
    DXFEntryNotWritten = 2  /* the DXF writer leaves the entry out */
};

typedef struct LayerDataRec {
    uint32_t ld_Flags;
    char* ld_Name;
    uint32_t ld_Colour;  /* DXF colour number */
    int32_t ld_LineType; /* index into the line-type table */
} LayerDataRec;

typedef struct LineTypeDataRec {
    uint32_t ld_Flags;
    char* ld_Name;
    char* ld_Description;   /* own AllocVec block or NULL, owned by the entry */
    int32_t ld_NSegments;
    double* ld_Segments;    /* ld_NSegments dash lengths, own AllocVec block or NULL */
} LineTypeDataRec;

typedef struct BlockIdentifierRec {
    char* bi_Name;
    int32_t bi_BlockData;   /* BLOCK item in dxf_BlockItemBuffer, -1 while undefined */
    uint32_t bi_Flags;
    char* bi_Label;         /* from AllocStr or NULL */
    Point2DRec bi_LabelPos;
    DXFFontRec bi_LabelAttr;
} BlockIdentifierRec;

typedef struct LayerTableRec {
    int32_t lt_Size; /* grow step */
    int32_t lt_Max;
    int32_t lt_N;
    LayerDataRec** lt_Layers;
} LayerTableRec;

typedef struct LineTypeTableRec {
    int32_t lt_Size;
    int32_t lt_Max;
    int32_t lt_N;
    LineTypeDataRec** lt_LineTypes;
} LineTypeTableRec;

typedef struct BlockIdentifierBufferRec {
    int32_t bib_Size;
    int32_t bib_Max;
    int32_t bib_N;
    BlockIdentifierRec** bib_Blocks;
} BlockIdentifierBufferRec;

/* The index of the layer called name, appended (colour 4, line type 0) when missing;
 * 0 (the automatic layer) when memory fails. */
HALVERN_API int32_t GetLayer(LayerTableRec* table, const char* name) HALVERN_NOEXCEPT;
/* The index of the line type called name, appended when missing; "BYBLOCK" is never
 * stored and gives 0, as does a memory failure. */
HALVERN_API int32_t GetLineType(LineTypeTableRec* table, const char* name) HALVERN_NOEXCEPT;
/* Free every entry and the pointer array; count and capacity become 0, the grow step
 * stays. Return 0. */
HALVERN_API int32_t FreeLayerTable(LayerTableRec* table) HALVERN_NOEXCEPT;
HALVERN_API int32_t FreeLineTypeTable(LineTypeTableRec* table) HALVERN_NOEXCEPT;
HALVERN_API int32_t FreeBlockIdentifierBuffer(BlockIdentifierBufferRec* buffer) HALVERN_NOEXCEPT;
/* Sets bi_BlockData and bi_Flags of the identifier called name, appending it when
 * missing. 1, or 0 when it cannot be appended. */
HALVERN_API int32_t AddBlockIdentifier(BlockIdentifierBufferRec* buffer, const char* name,
                                       int32_t blockData, uint32_t flags) HALVERN_NOEXCEPT;
/* 1 when an identifier called exactly name exists; then *nameOut (optional) receives
 * its bi_Name pointer and *indexOut (optional) its bi_BlockData. Else 0. */
HALVERN_API int32_t IsBlockKnown(BlockIdentifierBufferRec* buffer, const char* name,
                                 char** nameOut, int32_t* indexOut) HALVERN_NOEXCEPT;

HALVERN_END_DECLS

#endif
