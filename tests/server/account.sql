-- The tool's account as an installation has it: it may use the database "mysql" and see
-- every database; each tenant database grants it INSERT when the tenant is created.
CREATE USER 'quorvel'@'localhost' IDENTIFIED BY 'selvado';
CREATE USER 'quorvel'@'127.0.0.1' IDENTIFIED BY 'selvado';
CREATE USER 'quorvel'@'::1' IDENTIFIED BY 'selvado';
GRANT SELECT ON mysql.* TO 'quorvel'@'localhost', 'quorvel'@'127.0.0.1', 'quorvel'@'::1';
GRANT SHOW DATABASES ON *.* TO 'quorvel'@'localhost', 'quorvel'@'127.0.0.1', 'quorvel'@'::1';
