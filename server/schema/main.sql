-- Main database: the main system's side of the stock-take. Terminals upload their
-- stock-take bills into CommonPosPtypeCheckNdx / CommonPosPtypeCheckList (the same
-- layout as in the store database); Pos_J2_PosPdtoMainProPd turns one uploaded bill into
-- a draft stock-take bill of the main system (PdBillNdx / PdBillDetail).
-- The layout and the upload rules are described in docs/formats/store-schema.md.

CREATE TABLE sysdata (
  SysId INTEGER PRIMARY KEY,
  SysName VARCHAR(50) NOT NULL COLLATE NOCASE UNIQUE,
  SysValue VARCHAR(255) NOT NULL DEFAULT '' COLLATE NOCASE,
  Comment VARCHAR(255) NOT NULL DEFAULT '' COLLATE NOCASE
);

CREATE TABLE CommonPosPtypeCheckNdx (
  CheckCode INTEGER PRIMARY KEY AUTOINCREMENT,
  KTypeID VARCHAR(25) NOT NULL COLLATE NOCASE,
  OperatorID VARCHAR(25) NOT NULL DEFAULT '' COLLATE NOCASE,
  PDDate DATE NOT NULL,
  PosID VARCHAR(25) NOT NULL DEFAULT '' COLLATE NOCASE,
  IsUpSend INTEGER NOT NULL DEFAULT 0,
  UpLoadPosVchCode INTEGER NOT NULL DEFAULT 0,
  UniqueID VARCHAR(50) NOT NULL DEFAULT '' COLLATE NOCASE,
  PDNumber VARCHAR(50) NOT NULL DEFAULT '' COLLATE NOCASE,
  PdVchCode INTEGER NOT NULL DEFAULT 0
);

CREATE TABLE CommonPosPtypeCheckList (
  ListId INTEGER PRIMARY KEY,
  CheckCode INTEGER NOT NULL REFERENCES CommonPosPtypeCheckNdx(CheckCode),
  PtypeID VARCHAR(25) NOT NULL COLLATE NOCASE,
  ColorID INTEGER NOT NULL DEFAULT 0,
  SizeID INTEGER NOT NULL DEFAULT 0,
  Qty NUMERIC(18,4) NOT NULL DEFAULT 0,
  IsUpSend INTEGER NOT NULL DEFAULT 0
);
CREATE INDEX CommonPosPtypeCheckList_CheckCode ON CommonPosPtypeCheckList(CheckCode);

-- Stock-take preparation: a warehouse may be counted on the days BeginDate..EndDate
-- (texts 'yyyy-mm-dd'); Finished 1 closes the count: nothing more may be counted then.
CREATE TABLE PdPrepare (
  PrepareId INTEGER PRIMARY KEY,
  KtypeId VARCHAR(25) NOT NULL COLLATE NOCASE,
  BeginDate DATE NOT NULL,
  EndDate DATE NOT NULL,
  Finished INTEGER NOT NULL DEFAULT 0,
  CHECK (BeginDate <= EndDate)
);
CREATE INDEX PdPrepare_Ktype ON PdPrepare(KtypeId);

-- Stock-take bills of the main system. Draft 1: made from an upload and not yet posted.
CREATE TABLE PdBillNdx (
  BillCode INTEGER PRIMARY KEY AUTOINCREMENT,
  KtypeId VARCHAR(25) NOT NULL COLLATE NOCASE,
  PdDate DATE NOT NULL,
  OperatorId VARCHAR(25) NOT NULL DEFAULT '' COLLATE NOCASE,
  PosId VARCHAR(25) NOT NULL DEFAULT '' COLLATE NOCASE,
  PdNumber VARCHAR(50) NOT NULL DEFAULT '' COLLATE NOCASE,
  UpLoadCheckCode INTEGER NOT NULL DEFAULT 0,
  Draft INTEGER NOT NULL DEFAULT 1
);
CREATE INDEX PdBillNdx_KtypeDate ON PdBillNdx(KtypeId, PdDate);

CREATE TABLE PdBillDetail (
  DetailId INTEGER PRIMARY KEY,
  BillCode INTEGER NOT NULL REFERENCES PdBillNdx(BillCode),
  PtypeId VARCHAR(25) NOT NULL COLLATE NOCASE,
  ColorId INTEGER NOT NULL DEFAULT 0,
  SizeId INTEGER NOT NULL DEFAULT 0,
  Qty NUMERIC(18,4) NOT NULL DEFAULT 0
);
CREATE INDEX PdBillDetail_Bill ON PdBillDetail(BillCode);
CREATE INDEX PdBillDetail_Ptype ON PdBillDetail(PtypeId);
