#include "evidence/EvidenceLog.h"

Q_LOGGING_CATEGORY(lcEvidence, "ostvik.evidence", QtWarningMsg)
