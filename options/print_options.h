// The job's settings after option gathering: one global record in four
// blocks, plus the staging copies that the ticket tables write into.
#pragma once

struct PrintTypeOptionRec {
    int printType;
    char userName[73];
    char password[2048];
    int documentNameType;
    char documentName[193];
};

struct JBAOptionRec {
    char macHostName[33];
    char ipAddress[46];
    int manageType;
    char userID[97];
    char userPassword[2048];
    int adminUserIDListCtrl;
    char adminUserID[97];
    char adminUserPassword[2048];
    int adminUserInputRadio;
    char inputUserID[97];
    char inputUserPassword[2048];
    char login[64];
    char printDate[64];
    char printTime[64];
    char hostName[64];
};

struct FeaturesOptionRec {
    char numberUp[64];
    char collate[64];
    char media[64];
    char inputSlot[64];
    char mediaType[64];
    char colorMode[64];
    char outputMode[64];
    char staple[64];
    char punch[64];
    int duplexing;
    char scaling[64];
    char pageBorder[64];
    char outputOrder[64];
    char scaleToFit[64];
    char pageSet[64];
    char mirror[64];
    char msiLeadingEdge[64];
    char trapping[64];
    char pageFormatOrientation[64];
    char printSettingsOrientation[64];
    char orientationRequested[64];
};

struct PPDOptionRec {
    char securityMode[64];
    char printerLanguageEncoding[64];
};

struct PrintOptions {
    PrintTypeOptionRec PrintTypeOption;
    JBAOptionRec JBAOption;
    FeaturesOptionRec FeaturesOption;
    PPDOptionRec PPDOption;
};

extern PrintOptions printoptions;

// Staging blocks filled by the ticket tables, then copied into the record.
extern PrintTypeOptionRec stPrintTypeOption;
extern JBAOptionRec stJBAOption;
extern FeaturesOptionRec stFeaturesOption;

// Clears the whole record to zero bytes (start of every job).
void ClearPrintOptions(PrintOptions *options);
