-- Store database: the data of one store (branch), as the point-of-sale screens read and
-- write it. Text columns compare without regard to ASCII case (COLLATE NOCASE), as the
-- screens expect of the other engine. Ids of the basic-data trees (typeid) are texts of
-- five digits per level ('00001', '0000100002'); Sonnum counts an entry's children (0 for
-- a leaf); Stop 1 marks an entry that is no longer used.
-- The layout is described in docs/formats/store-schema.md.

-- System values. SysId 19: procedure prefix of the stock-take screens; SysName
-- 'DefaultBarCode': the barcode type of the terminal exports; the rest are read through
-- GetSysValue;1 by SysName.
CREATE TABLE sysdata (
  SysId INTEGER PRIMARY KEY,
  SysName VARCHAR(50) NOT NULL COLLATE NOCASE UNIQUE,
  SysValue VARCHAR(255) NOT NULL DEFAULT '' COLLATE NOCASE,
  Comment VARCHAR(255) NOT NULL DEFAULT '' COLLATE NOCASE
);

-- System values shared with the other point-of-sale programs. SysId 2: VIP procedure prefix.
CREATE TABLE PosCommonSysData (
  SysId INTEGER PRIMARY KEY,
  SysName VARCHAR(50) NOT NULL COLLATE NOCASE,
  SysValue VARCHAR(255) NOT NULL DEFAULT '' COLLATE NOCASE
);

CREATE TABLE Branch (
  BranchId VARCHAR(25) PRIMARY KEY COLLATE NOCASE,
  UserCode VARCHAR(26) NOT NULL COLLATE NOCASE,
  FullName VARCHAR(66) NOT NULL COLLATE NOCASE
);

-- Goods tree: classes (Sonnum > 0) and goods (leaves).
CREATE TABLE ptype (
  typeid VARCHAR(25) PRIMARY KEY COLLATE NOCASE,
  ParId VARCHAR(25) NOT NULL COLLATE NOCASE,
  Sonnum INTEGER NOT NULL DEFAULT 0,
  UserCode VARCHAR(26) NOT NULL COLLATE NOCASE,
  FullName VARCHAR(66) NOT NULL COLLATE NOCASE,
  Name VARCHAR(30) NOT NULL DEFAULT '' COLLATE NOCASE,
  Standard VARCHAR(30) NOT NULL DEFAULT '' COLLATE NOCASE,
  Unit VARCHAR(10) NOT NULL DEFAULT '' COLLATE NOCASE,
  Stop INTEGER NOT NULL DEFAULT 0
);
CREATE INDEX ptype_UserCode ON ptype(UserCode);

CREATE TABLE Color (
  ColorId INTEGER PRIMARY KEY,
  ColorCode VARCHAR(10) NOT NULL COLLATE NOCASE,
  ColorName VARCHAR(30) NOT NULL COLLATE NOCASE
);

CREATE TABLE Size (
  SizeId INTEGER PRIMARY KEY,
  SizeCode VARCHAR(10) NOT NULL COLLATE NOCASE,
  SizeName VARCHAR(30) NOT NULL COLLATE NOCASE
);

-- The colours and sizes each goods comes in.
CREATE TABLE PtypeColorSize (
  PtypeId VARCHAR(25) NOT NULL COLLATE NOCASE REFERENCES ptype(typeid),
  ColorId INTEGER NOT NULL REFERENCES Color(ColorId),
  SizeId INTEGER NOT NULL REFERENCES Size(SizeId),
  PRIMARY KEY (PtypeId, ColorId, SizeId)
);

-- Barcode types: '1' one barcode per goods, colour and size; '2' one style barcode
-- printed on every colour and size of a goods.
CREATE TABLE BarType (
  BarTypeId VARCHAR(10) PRIMARY KEY COLLATE NOCASE,
  TypeName VARCHAR(30) NOT NULL COLLATE NOCASE
);

CREATE TABLE Barcode (
  BarId INTEGER PRIMARY KEY,
  PtypeId VARCHAR(25) NOT NULL COLLATE NOCASE REFERENCES ptype(typeid),
  ColorId INTEGER NOT NULL DEFAULT 0,
  SizeId INTEGER NOT NULL DEFAULT 0,
  BarTypeId VARCHAR(10) NOT NULL COLLATE NOCASE REFERENCES BarType(BarTypeId),
  FullBarCode VARCHAR(50) NOT NULL COLLATE NOCASE
);
CREATE INDEX Barcode_FullBarCode ON Barcode(FullBarCode);
CREATE INDEX Barcode_Ptype ON Barcode(PtypeId, ColorId, SizeId);

-- Price types: 'LSSJ1' retail price, 'JJ1' purchase price.
CREATE TABLE PriceType (
  PriceTypeId VARCHAR(10) PRIMARY KEY COLLATE NOCASE,
  TypeName VARCHAR(30) NOT NULL COLLATE NOCASE
);

CREATE TABLE PtypePrice (
  PtypeId VARCHAR(25) NOT NULL COLLATE NOCASE REFERENCES ptype(typeid),
  PriceTypeId VARCHAR(10) NOT NULL COLLATE NOCASE REFERENCES PriceType(PriceTypeId),
  Price NUMERIC(18,4) NOT NULL DEFAULT 0,
  PRIMARY KEY (PtypeId, PriceTypeId)
);

-- Warehouses, each in a branch.
CREATE TABLE ktype (
  typeid VARCHAR(25) PRIMARY KEY COLLATE NOCASE,
  ParId VARCHAR(25) NOT NULL COLLATE NOCASE,
  Sonnum INTEGER NOT NULL DEFAULT 0,
  UserCode VARCHAR(26) NOT NULL COLLATE NOCASE,
  FullName VARCHAR(66) NOT NULL COLLATE NOCASE,
  Name VARCHAR(30) NOT NULL DEFAULT '' COLLATE NOCASE,
  BranchId VARCHAR(25) NOT NULL DEFAULT '' COLLATE NOCASE,
  Stop INTEGER NOT NULL DEFAULT 0
);

-- Stock per warehouse, goods, colour and size (0 for goods without colours or sizes).
CREATE TABLE GoodsStocks (
  KtypeId VARCHAR(25) NOT NULL COLLATE NOCASE REFERENCES ktype(typeid),
  PtypeId VARCHAR(25) NOT NULL COLLATE NOCASE REFERENCES ptype(typeid),
  ColorId INTEGER NOT NULL DEFAULT 0,
  SizeId INTEGER NOT NULL DEFAULT 0,
  Qty NUMERIC(18,4) NOT NULL DEFAULT 0,
  PRIMARY KEY (KtypeId, PtypeId, ColorId, SizeId)
);
CREATE INDEX GoodsStocks_Ptype ON GoodsStocks(PtypeId, ColorId, SizeId);

-- Business partners, accounts, employees.
CREATE TABLE btype (
  typeid VARCHAR(25) PRIMARY KEY COLLATE NOCASE,
  ParId VARCHAR(25) NOT NULL COLLATE NOCASE,
  Sonnum INTEGER NOT NULL DEFAULT 0,
  UserCode VARCHAR(26) NOT NULL COLLATE NOCASE,
  FullName VARCHAR(66) NOT NULL COLLATE NOCASE,
  Name VARCHAR(30) NOT NULL DEFAULT '' COLLATE NOCASE,
  Tel VARCHAR(66) NOT NULL DEFAULT '' COLLATE NOCASE,
  Stop INTEGER NOT NULL DEFAULT 0
);

CREATE TABLE atype (
  typeid VARCHAR(25) PRIMARY KEY COLLATE NOCASE,
  ParId VARCHAR(25) NOT NULL COLLATE NOCASE,
  Sonnum INTEGER NOT NULL DEFAULT 0,
  UserCode VARCHAR(26) NOT NULL COLLATE NOCASE,
  FullName VARCHAR(66) NOT NULL COLLATE NOCASE,
  Name VARCHAR(30) NOT NULL DEFAULT '' COLLATE NOCASE,
  Stop INTEGER NOT NULL DEFAULT 0
);

CREATE TABLE etype (
  typeid VARCHAR(25) PRIMARY KEY COLLATE NOCASE,
  ParId VARCHAR(25) NOT NULL COLLATE NOCASE,
  Sonnum INTEGER NOT NULL DEFAULT 0,
  UserCode VARCHAR(26) NOT NULL COLLATE NOCASE,
  FullName VARCHAR(66) NOT NULL COLLATE NOCASE,
  Name VARCHAR(30) NOT NULL DEFAULT '' COLLATE NOCASE,
  BranchId VARCHAR(25) NOT NULL DEFAULT '' COLLATE NOCASE,
  Tel VARCHAR(66) NOT NULL DEFAULT '' COLLATE NOCASE,
  Stop INTEGER NOT NULL DEFAULT 0
);

-- Employees an operator may choose (FN_GetPowerRangeEList). An operator without rows
-- here may choose every employee.
CREATE TABLE EtypeRange (
  OperatorId VARCHAR(25) NOT NULL COLLATE NOCASE,
  EtypeId VARCHAR(25) NOT NULL COLLATE NOCASE,
  PRIMARY KEY (OperatorId, EtypeId)
);

-- Point-of-sale terminals.
CREATE TABLE PosInfo (
  PosId VARCHAR(25) PRIMARY KEY COLLATE NOCASE,
  UserCode VARCHAR(26) NOT NULL COLLATE NOCASE,
  FullName VARCHAR(66) NOT NULL COLLATE NOCASE,
  BranchId VARCHAR(25) NOT NULL DEFAULT '' COLLATE NOCASE,
  KtypeId VARCHAR(25) NOT NULL DEFAULT '' COLLATE NOCASE,
  Etypeid VARCHAR(25) NOT NULL DEFAULT '' COLLATE NOCASE,
  Stop INTEGER NOT NULL DEFAULT 0
);

-- Stock-take bills saved at the terminals: header and lines.
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
CREATE INDEX CommonPosPtypeCheckNdx_PdDate ON CommonPosPtypeCheckNdx(PDDate);

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

-- VIP card types and cards.
CREATE TABLE nVipCardSet (
  VipCardTypeID VARCHAR(25) PRIMARY KEY COLLATE NOCASE,
  TypeName VARCHAR(50) NOT NULL COLLATE NOCASE,
  Discount NUMERIC(18,4) NOT NULL DEFAULT 1,
  Stop INTEGER NOT NULL DEFAULT 0
);

CREATE TABLE nVipCardSign (
  VipCardId INTEGER PRIMARY KEY AUTOINCREMENT,
  VipCardCode VARCHAR(18) NOT NULL COLLATE NOCASE UNIQUE,
  Bname VARCHAR(66) NOT NULL DEFAULT '' COLLATE NOCASE,
  pycode VARCHAR(66) NOT NULL DEFAULT '' COLLATE NOCASE,
  CreateDate DATETIME,
  EndDate DATETIME,
  EtypeId VARCHAR(25) NOT NULL DEFAULT '' COLLATE NOCASE,
  Cardset VARCHAR(25) NOT NULL COLLATE NOCASE REFERENCES nVipCardSet(VipCardTypeID),
  Bsex VARCHAR(4) NOT NULL DEFAULT '' COLLATE NOCASE,
  Bbirthday DATETIME,
  Btel VARCHAR(66) NOT NULL DEFAULT '' COLLATE NOCASE,
  Baddr VARCHAR(255) NOT NULL DEFAULT '' COLLATE NOCASE,
  Bpostcode VARCHAR(66) NOT NULL DEFAULT '' COLLATE NOCASE,
  Btrade VARCHAR(66) NOT NULL DEFAULT '' COLLATE NOCASE,
  BIDcard VARCHAR(18) NOT NULL DEFAULT '' COLLATE NOCASE,
  VipStatus INTEGER NOT NULL DEFAULT 0,
  Comment VARCHAR(255) NOT NULL DEFAULT '' COLLATE NOCASE,
  BeginMoney NUMERIC(18,4) NOT NULL DEFAULT 0,
  BeginCent NUMERIC(18,4) NOT NULL DEFAULT 0,
  IsCz VARCHAR(10) NOT NULL DEFAULT '' COLLATE NOCASE,
  qccz NUMERIC(18,4) NOT NULL DEFAULT 0,
  RATypeID VARCHAR(25) NOT NULL DEFAULT '' COLLATE NOCASE,
  BTypeID VARCHAR(25) NOT NULL DEFAULT '' COLLATE NOCASE,
  CarType INTEGER NOT NULL DEFAULT 0,
  CarWashPrice NUMERIC(18,4) NOT NULL DEFAULT 0,
  IsWashTimes VARCHAR(10) NOT NULL DEFAULT '' COLLATE NOCASE,
  CanWashTimes00 INTEGER NOT NULL DEFAULT 0,
  CanWashTimes INTEGER NOT NULL DEFAULT 0,
  pWord VARCHAR(25) NOT NULL DEFAULT '' COLLATE NOCASE,
  OperatorID VARCHAR(25) NOT NULL DEFAULT '' COLLATE NOCASE
);

-- Views of the point-of-sale screens. Column names are chosen so that the screens'
-- joins never see one name in two joined views unless they qualify it.
CREATE VIEW PosemployeeView AS
  SELECT typeid AS ETypeId, ParId, Sonnum, UserCode, FullName AS Fullname, Name, BranchId, Tel, Stop
  FROM etype;

CREATE VIEW posinfoview AS
  SELECT PosId, UserCode, FullName, BranchId, KtypeId, Etypeid, Stop FROM PosInfo;

CREATE VIEW PosGoodsStocksDetailView AS
  SELECT KtypeId, PtypeId, ColorId, SizeId, Qty FROM GoodsStocks;

CREATE VIEW PosptypepriceView AS
  SELECT PtypeId AS Ptypeid, PriceTypeId, Price FROM PtypePrice;

CREATE VIEW PosPtypeView AS
  SELECT typeid AS PtypeId, ParId, Sonnum, UserCode, FullName, Name, Standard, Unit, Stop FROM ptype;

CREATE VIEW PosPtypeColorSizeView AS
  SELECT PtypeId AS ptypeid, ColorId AS colorid, SizeId AS sizeid FROM PtypeColorSize;

CREATE VIEW PosColorView AS
  SELECT ColorId AS colorid, ColorName FROM Color;

CREATE VIEW PosSizeView AS
  SELECT SizeId AS sizeid, SizeName FROM Size;

CREATE VIEW PosBarCodeView AS
  SELECT PtypeId, ColorId, SizeId, BarTypeId, FullBarCode FROM Barcode;

CREATE VIEW PosStockView AS
  SELECT typeid AS KtypeId, UserCode, FullName, BranchId, Stop FROM ktype;
