-- An operator's account for the control program, which reads with it and nothing else:
--   psql -v name=OPERATOR -v password=SECRET -f db/postgres/add-operator.sql
-- The control program is then started with OPERATOR SECRET DATABASE as its first arguments.
\set ON_ERROR_STOP on
CREATE ROLE :"name" LOGIN PASSWORD :'password' IN ROLE vds_reader;
ALTER ROLE :"name" SET default_transaction_read_only = on;
