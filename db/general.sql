-- General database of a shop (datos/general.fdb): the companies the shop
-- keeps. The kitchen ticket program only opens it at login.
-- Run with isql-fb -ch UTF8 on a freshly created WIN1252 database.

SET SQL DIALECT 3;
SET AUTODDL ON;

CREATE TABLE EMPRESAS (
  EMPR_COD    VARCHAR(2)  CHARACTER SET WIN1252 NOT NULL,
  EMPR_NOMBRE VARCHAR(60) CHARACTER SET WIN1252,
  CONSTRAINT PK_EMPRESAS PRIMARY KEY (EMPR_COD)
);

COMMIT;

GRANT SELECT ON EMPRESAS TO PUBLIC;

INSERT INTO EMPRESAS (EMPR_COD, EMPR_NOMBRE) VALUES ('01', 'Empresa principal');

COMMIT;
