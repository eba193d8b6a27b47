#pragma once

// The analysis workers: read a folder-tree item's node from the structures that still
// exist (FolderAnalysisWorker: that node only; DeepAnalysisWorker: its sub-folders too,
// down to the settings' analysis depth). Both post only log lines and, unless stopped,
// 0x47D at the end.

#include "engine/request/TreeItemRecord.h"

namespace vantrel {

class ResultNode;

// Analyses node (unless already analysed), then its child folders down to depth levels
// below it. False when stopped or when a node's analysis failed; the walk stops there.
bool AnalyseTree(TreeItemRecord& record, ResultNode& node, int depth);

// Return 0 when the analysis completed (job state 4), -1 otherwise.
int FolderAnalysisWorker(TreeItemRecord& record);
int DeepAnalysisWorker(TreeItemRecord& record);

bool StartFolderAnalysisWorker(TreeItemRecord& record);
bool StartDeepAnalysisWorker(TreeItemRecord& record);

} // namespace vantrel
