-- The server's roles for the programs, made once per server (roles belong to the whole server);
-- roles already there are kept as they are.
--   vds_reader  what the programs may do: log on to the traffic database and read it
--   kelnor      the monitoring program's fixed account (password wubrix)
-- The control program logs on with each operator's own account: add-operator.sql.

DO $$
BEGIN
    IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'vds_reader') THEN
        CREATE ROLE vds_reader NOLOGIN;
    END IF;
    IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'kelnor') THEN
        CREATE ROLE kelnor LOGIN PASSWORD 'wubrix';
    END IF;
    IF NOT pg_has_role('kelnor', 'vds_reader', 'MEMBER') THEN
        GRANT vds_reader TO kelnor;
    END IF;
END
$$;
-- Privileges are what refuses a write; a read-only default says so early as well.
ALTER ROLE kelnor SET default_transaction_read_only = on;
