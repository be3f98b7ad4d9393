/*
 * The DXF filter: rewrites a DXF file (ASCII or binary) or an IGES file into a new
 * ASCII DXF file through a chain of passes chosen by option tags.
 *
 * Every pass reads the file the previous one wrote and writes a new one; two temporary
 * files in the temporary folder (variables "TMP", "TEMP", else the current folder) take
 * turns, and only the last one is copied to the output path. The temporary files are
 * removed whatever the outcome. Delete rules and modify statements are written in a
 * small expression language over the properties of one drawing item; ScanDXFFilter
 * checks them without filtering.
 *
 * The filter runs on the caller's thread and is not re-entrant per call: one run at a
 * time per thread is fine, runs on different threads do not share state.
 */
#ifndef HALVERN_FILTER_H
#define HALVERN_FILTER_H

#include <stdint.h>

#include "halvern/api.h"
#include "halvern/drawing.h"
#include "halvern/items.h"
#include "osmark/tags.h"

HALVERN_BEGIN_DECLS

/*
 * Option tags. Data kinds: a switch is a word tested for non-zero; a double is a
 * pointer to a double (NULL keeps the default); flags is a word of bits; a string is
 * a NUL-terminated 8-bit text (NULL keeps it empty). Of a repeated tag the last one
 * counts, except that every DXFF_Delete, DXFF_Modify and DXFF_RenameBlock applies in
 * list order and that the first DXFF_IGESUnits, DXFF_ErrorCode and DXFF_ErrorPosition
 * count. Tags that are not listed are ignored. (Macros: the values do not fit a C
 * enumeration.)
 */
#define DXFF_EllipseFlags 0x80450002u     /* flags, 0 */
#define DXFF_SplineFlags 0x80450003u      /* flags, 0 */
#define DXFF_EllipseTolerance 0x80450004u /* double, 0.1 */
#define DXFF_SplineTolerance 0x80450005u  /* double, 0.1 */
#define DXFF_PolylineFlags 0x80450006u    /* flags, 0 */
#define DXFF_ArcFlags 0x80450007u         /* flags, 0 */
#define DXFF_LineFlags 0x80450008u        /* flags, 0 */
#define DXFF_ExplodeInserts 0x80450009u   /* switch: INSERTs outside BLOCKS, section dropped */
#define DXFF_PolylineChordTolerance 0x8045000Au  /* double, 0.1 */
#define DXFF_ArcChordTolerance 0x8045000Bu       /* double, 0.1 */
#define DXFF_ProgressHook 0x8045000Cu            /* DXFFilterHook */
#define DXFF_ProgressUserData 0x8045000Du        /* its user data (pointer-wide) */
#define DXFF_ErrorCode 0x8045000Eu               /* int32_t*: first expression error */
#define DXFF_ErrorPosition 0x8045000Fu           /* int32_t*: its character position */
#define DXFF_Delete 0x80450010u                  /* DXFDeleteRule* */
#define DXFF_OpenContours 0x80450011u            /* switch */
#define DXFF_ContourTolerance 0x80450012u        /* double, 1e-6 */
#define DXFF_OpenAsPolyline 0x80450013u          /* switch */
#define DXFF_NameCharsFrom 0x80450014u           /* string with backslash escapes */
#define DXFF_NameCharsTo 0x80450015u             /* string with backslash escapes */
#define DXFF_KeepTexts 0x80450016u               /* switch */
#define DXFF_ClosedContours 0x80450017u          /* switch */
#define DXFF_ClosedAsPolyline 0x80450018u        /* switch */
#define DXFF_OpenFitArcs 0x80450019u             /* switch */
#define DXFF_ClosedFitArcs 0x8045001Au           /* switch */
#define DXFF_OpenFitTolerance 0x8045001Bu        /* double, 1e-6 */
#define DXFF_ClosedFitTolerance 0x8045001Cu      /* double, 1e-6 */
#define DXFF_Modify 0x8045001Du                  /* DXFModifyRule* */
#define DXFF_IGESUnits 0x8045001Eu               /* word, 0 (IGESUnits of halvern/iges.h) */
#define DXFF_Scale 0x8045001Fu                   /* double, 1 */
#define DXFF_RemoveDuplicates 0x80450020u        /* switch */
#define DXFF_OpenSimplify 0x80450021u            /* switch */
#define DXFF_ClosedSimplify 0x80450022u          /* switch */
#define DXFF_OpenSimplifyTolerance 0x80450023u   /* double, 1e-6 */
#define DXFF_ClosedSimplifyTolerance 0x80450024u /* double, 1e-6 */
#define DXFF_OpenFillet 0x80450025u              /* switch */
#define DXFF_ClosedFillet 0x80450026u            /* switch */
#define DXFF_OpenFilletRadius 0x80450027u        /* double, 1 */
#define DXFF_OpenFilletMinAngle 0x80450028u      /* double, 10 degrees in radians */
#define DXFF_OpenFilletMaxAngle 0x80450029u      /* double, pi */
#define DXFF_ClosedFilletRadius 0x8045002Au      /* double, 1 */
#define DXFF_ClosedFilletMinAngle 0x8045002Bu    /* double, 10 degrees in radians */
#define DXFF_ClosedFilletMaxAngle 0x8045002Cu    /* double, pi */
#define DXFF_ContourOption 0x8045002Du           /* word, 0: handed to the contour finder */
#define DXFF_OpenFilletLimit 0x8045002Eu         /* double, 0 */
#define DXFF_ClosedFilletLimit 0x8045002Fu       /* double, 0 */
#define DXFF_OpenFlattenArcs 0x80450030u         /* switch */
#define DXFF_ClosedFlattenArcs 0x80450031u       /* switch */
#define DXFF_OpenFlattenTolerance 0x80450032u    /* double, 0.1 */
#define DXFF_ClosedFlattenTolerance 0x80450033u  /* double, 0.1 */
#define DXFF_JoinTexts 0x80450034u               /* switch */
#define DXFF_JoinSeparator 0x80450035u           /* string, none */
#define DXFF_JoinSpacing 0x80450036u             /* double, 0 */
#define DXFF_JoinOffset 0x80450037u              /* double, 0 */
#define DXFF_JoinAngleTolerance 0x80450038u      /* double, 0.1 degrees in radians */
#define DXFF_OpenMinLength 0x80450039u           /* switch */
#define DXFF_OpenMinLengthValue 0x8045003Au      /* double, 0 */
#define DXFF_ClosedMinLength 0x8045003Bu         /* switch */
#define DXFF_ClosedMinLengthValue 0x8045003Cu    /* double, 0 */
#define DXFF_RenameBlock 0x8045003Du             /* DXFRenameRule* */
#define DXFF_OpenContourHook 0x8045003Eu         /* DXFContourHook, kept when not NULL */
#define DXFF_ClosedContourHook 0x8045003Fu       /* DXFContourHook, kept when not NULL */
#define DXFF_DXFVersion 0x80450040u              /* int32_t, 0: 0, 2005 or 2010 */
#define DXFF_LayersOn 0x80450041u                /* switch */
#define DXFF_ExplodeNestedInserts 0x80450042u    /* switch: INSERTs inside block definitions */
#define DXFF_FlattenInserts 0x80450043u          /* switch */
#define DXFF_WriteHeader 0x80450044u             /* word, 1: 0 leaves the section out */
#define DXFF_WriteClasses 0x80450045u            /* word, 1 */
#define DXFF_WriteTables 0x80450046u             /* word, 1 */
#define DXFF_WriteBlocks 0x80450047u             /* word, 1 */
#define DXFF_WriteEntities 0x80450048u           /* word, 1 */
#define DXFF_WriteObjects 0x80450049u            /* word, 1 */
#define DXFF_TranslateX 0x8045004Au              /* double, 0 */
#define DXFF_TranslateY 0x8045004Bu              /* double, 0 */
#define DXFF_TranslateZ 0x8045004Cu              /* double, 0 */
#define DXFF_MoveToOrigin 0x8045004Du            /* switch: lower-left extent to the origin */
#define DXFF_Snap 0x8045004Eu                    /* double: grid step; NULL leaves it off */

/* Item type of a rule that applies to every served type. */
#define DXFF_ANY_TYPE (-1)

/* Delete the items of the type (DXFItemType, or DXFF_ANY_TYPE) for which the
 * expression is true. */
typedef struct DXFDeleteRule {
    int32_t dr_Type;
    const char* dr_Expression;
} DXFDeleteRule;

/* Run the statement on the items of the type for which the condition is true. */
typedef struct DXFModifyRule {
    int32_t mr_Type;
    const char* mr_Condition;
    const char* mr_Statement;
} DXFModifyRule;

/* Rename the block called old (any letter case) to new. */
typedef struct DXFRenameRule {
    const char* rr_OldName;
    const char* rr_NewName;
} DXFRenameRule;

/* Kinds of progress calls (DXFFilterHook). */
enum DXFFilterProgressKind {
    DXFFilterStart = 0,       /* value 0, once before the passes */
    DXFFilterLine = 100,      /* value: the line of the file a pass is reading */
    DXFFilterPolyline = 300,  /* value: per cent of a long polyline converted */
    DXFFilterArcFitting = 400 /* value: per cent of a long arc fitting */
};

/*
 * Progress of a run: kind (DXFFilterProgressKind), value, and the DXFF_ProgressUserData
 * word. 0 goes on; any other answer stops the run, which then returns that answer. The
 * same function and user data go to the contour finder and the line joiner, which call
 * it with their own operation codes (halvern/contours.h).
 */
typedef int32_t (*DXFFilterHook)(int32_t kind, int32_t value, void* userData);

/* Stages of a contour's edits at which a DXFContourHook is called. */
enum DXFContourStage {
    DXFContourBeforeEdits = 0,
    DXFContourBeforeFlatten = 1,
    DXFContourBeforeSimplify = 2,
    DXFContourBeforeFitArcs = 3,
    DXFContourBeforeFillet = 4,
    DXFContourBeforeWrite = 5
};

/* Called with the vertices of an edited contour, which it may change in place, and the
 * fillet values of the contour's kind (radius, smallest and largest corner angle in
 * radians, smallest fillet length). */
typedef void (*DXFContourHook)(DXFDrawingRec* drawing, int32_t stage, VertexListRec* vertices,
                               double filletRadius, double filletMinAngle, double filletMaxAngle,
                               double filletLimit);

/* Expression errors (DXFF_ErrorCode). */
enum DXFExprError {
    DXFExprSyntax = 1000,          /* a token where none fits, text left over, a property
                                      that cannot be assigned */
    DXFExprNoType = 1001,          /* an operator on a value of no known type */
    DXFExprBadProperty = 1002,     /* a property the type lacks, a value of the wrong type,
                                      an empty layer name, a string as a condition */
    DXFExprMissingParen = 1003,    /* no ")" */
    DXFExprBadCharacter = 1004,    /* a character that starts no token */
    DXFExprUnterminated = 1005,    /* the text ends inside a string literal */
    DXFExprNewlineInString = 1006, /* a newline inside a string literal */
    DXFExprNoMemory = 1007,        /* the token buffer cannot grow */
    DXFExprNoItem = 1008           /* no drawing or no item */
};

/*
 * Filters the file at input (DXF in either encoding, or IGES) into an ASCII DXF file at
 * output. 0 on success; -4 when a path is NULL or ScanDXFFilter rejects the tags; the
 * non-zero answer with which the progress function stopped the run; otherwise a
 * negative Osmark error code: -12 when a file cannot be opened or a pass's output
 * cannot be made, -24 (or the system's code, such as -18 for a full disk) when a write
 * fails, -1 when memory runs out. Nothing is written to output unless the run got as
 * far as its final copy.
 */
HALVERN_API int32_t FilterDXF(const char* input, const char* output,
                              const TagItem* tags) HALVERN_NOEXCEPT;

/*
 * Checks the expressions of the delete rules and the conditions of the modify rules of
 * a tag list, each on an empty item of its rule's type (rules of type DXFF_ANY_TYPE, or
 * of a type the language does not serve, are not tried). -1 when all evaluate without
 * an error; else the 0-based index, among the list's data items, of the first failing
 * one, with its error code and position stored through DXFF_ErrorCode and
 * DXFF_ErrorPosition when those tags carry a pointer.
 */
HALVERN_API int32_t ScanDXFFilter(const TagItem* tags) HALVERN_NOEXCEPT;

HALVERN_END_DECLS

#endif
