/*
 * Machines and nesting parameters of a part: the machines the part is prepared for,
 * each with its tooling layers, readiness and nesting options, and the common-cut
 * nesting parameters of the part and of each machine.
 *
 * A geometry record's machine table (kz_Machines, kz_NumMachines) is one AllocVec
 * block owned by the record: the kz_NumMachines machine records first, then every
 * machine's layer array, machine by machine; km_Layers points into the same block.
 * Each km_MachineName is an AllocStr string owned by the table. Adding a machine
 * replaces the whole block, so pointers into the table do not survive it.
 */
#ifndef TRENNIC_MACHINES_H
#define TRENNIC_MACHINES_H

#include <stdint.h>

#include "trennic/api.h"

TRENNIC_BEGIN_DECLS

typedef struct QXGeometryRec QXGeometryRec;

/* Common-cut nesting parameters. The comment gives each field's default and its
 * position in a common-cut list (ParseCommonCutNestData). */
typedef struct QXCommonCutNestDataRec {
    int32_t qxc_AllowCluster;        /* 1, position 1 */
    int32_t qxc_NestLOk;             /* 1, position 2 */
    double qxc_NestLLength;          /* 0, position 8 */
    int32_t qxc_NestROk;             /* 1, position 3 */
    double qxc_NestRLength;          /* 0, position 9 */
    int32_t qxc_NestTOk;             /* 1, position 4 */
    double qxc_NestTLength;          /* 0, position 10 */
    int32_t qxc_NestBOk;             /* 1, position 5 */
    double qxc_NestBLength;          /* 0, position 11 */
    double qxc_ClusterCutoffUtil;    /* 60, position 15 */
    double qxc_ClusterSquareUtil;    /* 90, position 16 */
    double qxc_ClusterMaxSlideX;     /* 0, position 6 */
    double qxc_ClusterMaxSlideY;     /* 0, position 7 */
    int32_t qxc_NestMaxRows;         /* 0, position 12 */
    int32_t qxc_NestMaxCols;         /* 0, position 13 */
    double qxc_AreaToCCLengthWeight; /* 0.5, position 14 */
} QXCommonCutNestDataRec;

/* Layer kinds of a machine's tooling layers (kl_Type). */
enum QXLayerKinds {
    QXLayerKindFirstTooling = 16,
    QXLayerKindLastTooling = 21
};

/* One tooling layer of a machine. */
typedef struct QXLayerRec {
    int32_t kl_ID;          /* the layer id that element records name */
    int32_t kl_Type;        /* layer kind 16 to 21 */
    uint32_t kl_HasTooling; /* bits of the tooling found on the layer (MarkLayerTooling) */
} QXLayerRec;

/* One machine. Each option comes with a valid flag: 1 when the part file gave it. */
typedef struct QXMachineRec {
    char* km_MachineName;          /* AllocStr; machines compare without regard to case */
    int32_t km_Current;            /* 1 when the part file names it the current machine */
    int32_t km_ReadyForProduction; /* 0 not given, else 1, 2 or 3 */
    int32_t km_NumLayers;
    QXLayerRec* km_Layers; /* inside the machine table's block */
    int32_t km_RotationsValid;
    int32_t km_Rotations;
    int32_t km_UseRASValid;
    int32_t km_UseRAS;
    int32_t km_FindBestAngleValid;
    int32_t km_FindBestAngle;
    int32_t km_RotationAngleToleranceValid;
    uint16_t km_RotationAngleTolerance;
    int32_t km_UseClusterValid;
    int32_t km_UseCluster;
    int32_t km_CommonCutNestOkValid;
    int32_t km_CommonCutNestOk;
    int32_t km_NestMirrorOkValid;
    int32_t km_NestMirrorOk;
    int32_t km_CommonCutNestUseDataValid;
    int32_t km_CommonCutNestUseData;
    int32_t km_CommonCutNestDataValid; /* never set by the part reader */
    QXCommonCutNestDataRec km_CommonCutNestData;
    int32_t km_ClearanceValid;
    double km_Clearance;
} QXMachineRec;

/* Sets every field to its default (see QXCommonCutNestDataRec). Nothing for NULL. */
TRENNIC_API void InitCommonCutNestData(QXCommonCutNestDataRec* data) TRENNIC_NOEXCEPT;

/* Clears the machine record to zero and gives it the common-cut defaults; the name is
 * not freed. Nothing for NULL. */
TRENNIC_API void ClearMachine(QXMachineRec* machine) TRENNIC_NOEXCEPT;

/*
 * Appends a machine called name to the record's machine table: a new block with room
 * for one machine and six layers more takes every machine and layer of the old one,
 * which is freed. The new machine is cleared with the common-cut defaults and gets a
 * copy of the name and the six layers {id -1, kind 16 + i, no tooling}, i = 0 to 5.
 * Returns the new machine's index; -1 when memory fails (the table unchanged) and -4
 * for a NULL argument.
 */
TRENNIC_API int32_t AddMachine(QXGeometryRec* geometry, const char* name) TRENNIC_NOEXCEPT;

/*
 * Reads a common-cut list into data: fields separated by bars when the list holds a
 * bar, else by commas; at most 16 fields. Each separator found becomes a NUL (the list
 * is changed in place). Each field present is read into the field of its position
 * (integers with a base by prefix, "0x" hexadecimal, "0b" binary, a leading 0 octal;
 * reals as reals); a field that is absent leaves its value alone. Returns the number
 * of fields (1 to 16), 0 for a NULL argument.
 */
TRENNIC_API int32_t ParseCommonCutNestData(QXCommonCutNestDataRec* data,
                                           char* list) TRENNIC_NOEXCEPT;

TRENNIC_END_DECLS

#endif
