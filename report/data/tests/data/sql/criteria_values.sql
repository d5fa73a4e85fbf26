-- dtAdvantage sqBDELocal
SELECT Packages.Package
FROM "Packages.db" Packages
WHERE ( UCASE(Packages.Maintainer) = "O'BRIEN" )
       AND ( UCASE(Packages.Package) LIKE "LIB%" )
       AND ( Packages.Package NOT LIKE "python3_" )
       AND ( Packages.InstalledSize BETWEEN 1000 AND 20000 )
       AND ( Packages.Priority IN (1,2,3) )
       AND ( Packages.Price >= 12.5 )
       AND ( Packages.Released = '2024-12-31' )
       AND ( Packages.Uploaded >= '2024-12-31 13:45:30' )
       AND ( Packages.Essential = 1 )
       AND ( Packages.Package NOT IN ("bash","core'utils") )
       AND ( Packages.Maintainer IS NULL  )
       AND ( Packages.Homepage IS NOT NULL  )
       AND ( Packages.Released =  )
       AND ( Packages.Section < "x""y" )

-- dtAdvantage sqSQL1
SELECT Packages.Package
FROM "Packages.db" Packages
WHERE ( UCASE(Packages.Maintainer) = 'O''BRIEN' )
       AND ( UCASE(Packages.Package) LIKE 'LIB%' )
       AND ( Packages.Package NOT LIKE 'python3_' )
       AND ( Packages.InstalledSize BETWEEN 1000 AND 20000 )
       AND ( Packages.Priority IN (1,2,3) )
       AND ( Packages.Price >= 12.5 )
       AND ( Packages.Released = '2024-12-31' )
       AND ( Packages.Uploaded >= '2024-12-31 13:45:30' )
       AND ( Packages.Essential = 1 )
       AND ( Packages.Package NOT IN ('bash','core''utils') )
       AND ( Packages.Maintainer IS NULL  )
       AND ( Packages.Homepage IS NOT NULL  )
       AND ( Packages.Released =  )
       AND ( Packages.Section < 'x"y' )

-- dtAdvantage sqSQL2
SELECT Packages.Package
FROM "Packages.db" Packages
WHERE ( UCASE(Packages.Maintainer) = 'O''BRIEN' )
       AND ( UCASE(Packages.Package) LIKE 'LIB%' )
       AND ( Packages.Package NOT LIKE 'python3_' )
       AND ( Packages.InstalledSize BETWEEN 1000 AND 20000 )
       AND ( Packages.Priority IN (1,2,3) )
       AND ( Packages.Price >= 12.5 )
       AND ( Packages.Released = '2024-12-31' )
       AND ( Packages.Uploaded >= '2024-12-31 13:45:30' )
       AND ( Packages.Essential = 1 )
       AND ( Packages.Package NOT IN ('bash','core''utils') )
       AND ( Packages.Maintainer IS NULL  )
       AND ( Packages.Homepage IS NOT NULL  )
       AND ( Packages.Released =  )
       AND ( Packages.Section < 'x"y' )

-- dtInterBase sqBDELocal
SELECT Packages.Package
FROM "Packages.db" Packages
WHERE ( UPPER(Packages.Maintainer) = "O'BRIEN" )
       AND ( UPPER(Packages.Package) LIKE "LIB%" )
       AND ( Packages.Package NOT LIKE "python3_" )
       AND ( Packages.InstalledSize BETWEEN 1000 AND 20000 )
       AND ( Packages.Priority IN (1,2,3) )
       AND ( Packages.Price >= 12.5 )
       AND ( Packages.Released = '12/31/2024' )
       AND ( Packages.Uploaded >= '12/31/2024 13:45:30' )
       AND ( Packages.Essential = TRUE )
       AND ( Packages.Package NOT IN ("bash","core'utils") )
       AND ( Packages.Maintainer IS NULL  )
       AND ( Packages.Homepage IS NOT NULL  )
       AND ( Packages.Released =  )
       AND ( Packages.Section < "x""y" )

-- dtInterBase sqSQL1
SELECT Packages.Package
FROM "Packages.db" Packages
WHERE ( UPPER(Packages.Maintainer) = 'O''BRIEN' )
       AND ( UPPER(Packages.Package) LIKE 'LIB%' )
       AND ( Packages.Package NOT LIKE 'python3_' )
       AND ( Packages.InstalledSize BETWEEN 1000 AND 20000 )
       AND ( Packages.Priority IN (1,2,3) )
       AND ( Packages.Price >= 12.5 )
       AND ( Packages.Released = '12/31/2024' )
       AND ( Packages.Uploaded >= '12/31/2024 13:45:30' )
       AND ( Packages.Essential = TRUE )
       AND ( Packages.Package NOT IN ('bash','core''utils') )
       AND ( Packages.Maintainer IS NULL  )
       AND ( Packages.Homepage IS NOT NULL  )
       AND ( Packages.Released =  )
       AND ( Packages.Section < 'x"y' )

-- dtInterBase sqSQL2
SELECT Packages.Package
FROM "Packages.db" Packages
WHERE ( UPPER(Packages.Maintainer) = 'O''BRIEN' )
       AND ( UPPER(Packages.Package) LIKE 'LIB%' )
       AND ( Packages.Package NOT LIKE 'python3_' )
       AND ( Packages.InstalledSize BETWEEN 1000 AND 20000 )
       AND ( Packages.Priority IN (1,2,3) )
       AND ( Packages.Price >= 12.5 )
       AND ( Packages.Released = '12/31/2024' )
       AND ( Packages.Uploaded >= '12/31/2024 13:45:30' )
       AND ( Packages.Essential = TRUE )
       AND ( Packages.Package NOT IN ('bash','core''utils') )
       AND ( Packages.Maintainer IS NULL  )
       AND ( Packages.Homepage IS NOT NULL  )
       AND ( Packages.Released =  )
       AND ( Packages.Section < 'x"y' )

-- dtMSAccess sqBDELocal
SELECT Packages.Package
FROM "Packages.db" Packages
WHERE ( UCASE(Packages.Maintainer) = "O'BRIEN" )
       AND ( UCASE(Packages.Package) LIKE "LIB%" )
       AND ( Packages.Package NOT LIKE "python3_" )
       AND ( Packages.InstalledSize BETWEEN 1000 AND 20000 )
       AND ( Packages.Priority IN (1,2,3) )
       AND ( Packages.Price >= 12.5 )
       AND ( Packages.Released = #2024-12-31# )
       AND ( Packages.Uploaded >= #2024-12-31 13:45:30# )
       AND ( Packages.Essential = TRUE )
       AND ( Packages.Package NOT IN ("bash","core'utils") )
       AND ( Packages.Maintainer IS NULL  )
       AND ( Packages.Homepage IS NOT NULL  )
       AND ( Packages.Released =  )
       AND ( Packages.Section < "x""y" )

-- dtMSAccess sqSQL1
SELECT Packages.Package
FROM [Packages.db] Packages
WHERE ( UCASE(Packages.Maintainer) = 'O''BRIEN' )
       AND ( UCASE(Packages.Package) LIKE 'LIB%' )
       AND ( Packages.Package NOT LIKE 'python3_' )
       AND ( Packages.InstalledSize BETWEEN 1000 AND 20000 )
       AND ( Packages.Priority IN (1,2,3) )
       AND ( Packages.Price >= 12.5 )
       AND ( Packages.Released = #2024-12-31# )
       AND ( Packages.Uploaded >= #2024-12-31 13:45:30# )
       AND ( Packages.Essential = TRUE )
       AND ( Packages.Package NOT IN ('bash','core''utils') )
       AND ( Packages.Maintainer IS NULL  )
       AND ( Packages.Homepage IS NOT NULL  )
       AND ( Packages.Released =  )
       AND ( Packages.Section < 'x"y' )

-- dtMSAccess sqSQL2
SELECT Packages.Package
FROM [Packages.db] Packages
WHERE ( UCASE(Packages.Maintainer) = 'O''BRIEN' )
       AND ( UCASE(Packages.Package) LIKE 'LIB%' )
       AND ( Packages.Package NOT LIKE 'python3_' )
       AND ( Packages.InstalledSize BETWEEN 1000 AND 20000 )
       AND ( Packages.Priority IN (1,2,3) )
       AND ( Packages.Price >= 12.5 )
       AND ( Packages.Released = #2024-12-31# )
       AND ( Packages.Uploaded >= #2024-12-31 13:45:30# )
       AND ( Packages.Essential = TRUE )
       AND ( Packages.Package NOT IN ('bash','core''utils') )
       AND ( Packages.Maintainer IS NULL  )
       AND ( Packages.Homepage IS NOT NULL  )
       AND ( Packages.Released =  )
       AND ( Packages.Section < 'x"y' )

-- dtMSSQLServer sqBDELocal
SELECT Packages.Package
FROM "Packages.db" Packages
WHERE ( UPPER(Packages.Maintainer) = "O'BRIEN" )
       AND ( UPPER(Packages.Package) LIKE "LIB%" )
       AND ( Packages.Package NOT LIKE "python3_" )
       AND ( Packages.InstalledSize BETWEEN 1000 AND 20000 )
       AND ( Packages.Priority IN (1,2,3) )
       AND ( Packages.Price >= 12.5 )
       AND ( Packages.Released = '2024/12/31' )
       AND ( Packages.Uploaded >= '2024/12/31 13:45:30' )
       AND ( Packages.Essential = 1 )
       AND ( Packages.Package NOT IN ("bash","core'utils") )
       AND ( Packages.Maintainer IS NULL  )
       AND ( Packages.Homepage IS NOT NULL  )
       AND ( Packages.Released =  )
       AND ( Packages.Section < "x""y" )

-- dtMSSQLServer sqSQL1
SELECT Packages.Package
FROM "Packages.db" Packages
WHERE ( UPPER(Packages.Maintainer) = 'O''BRIEN' )
       AND ( UPPER(Packages.Package) LIKE 'LIB%' )
       AND ( Packages.Package NOT LIKE 'python3_' )
       AND ( Packages.InstalledSize BETWEEN 1000 AND 20000 )
       AND ( Packages.Priority IN (1,2,3) )
       AND ( Packages.Price >= 12.5 )
       AND ( Packages.Released = '2024/12/31' )
       AND ( Packages.Uploaded >= '2024/12/31 13:45:30' )
       AND ( Packages.Essential = 1 )
       AND ( Packages.Package NOT IN ('bash','core''utils') )
       AND ( Packages.Maintainer IS NULL  )
       AND ( Packages.Homepage IS NOT NULL  )
       AND ( Packages.Released =  )
       AND ( Packages.Section < 'x"y' )

-- dtMSSQLServer sqSQL2
SELECT Packages.Package
FROM "Packages.db" Packages
WHERE ( UPPER(Packages.Maintainer) = 'O''BRIEN' )
       AND ( UPPER(Packages.Package) LIKE 'LIB%' )
       AND ( Packages.Package NOT LIKE 'python3_' )
       AND ( Packages.InstalledSize BETWEEN 1000 AND 20000 )
       AND ( Packages.Priority IN (1,2,3) )
       AND ( Packages.Price >= 12.5 )
       AND ( Packages.Released = '2024/12/31' )
       AND ( Packages.Uploaded >= '2024/12/31 13:45:30' )
       AND ( Packages.Essential = 1 )
       AND ( Packages.Package NOT IN ('bash','core''utils') )
       AND ( Packages.Maintainer IS NULL  )
       AND ( Packages.Homepage IS NOT NULL  )
       AND ( Packages.Released =  )
       AND ( Packages.Section < 'x"y' )

-- dtSybaseASE sqBDELocal
SELECT Packages.Package
FROM "Packages.db" Packages
WHERE ( UPPER(Packages.Maintainer) = "O'BRIEN" )
       AND ( UPPER(Packages.Package) LIKE "LIB%" )
       AND ( Packages.Package NOT LIKE "python3_" )
       AND ( Packages.InstalledSize BETWEEN 1000 AND 20000 )
       AND ( Packages.Priority IN (1,2,3) )
       AND ( Packages.Price >= 12.5 )
       AND ( Packages.Released = '2024/12/31' )
       AND ( Packages.Uploaded >= '2024/12/31 13:45:30' )
       AND ( Packages.Essential = 1 )
       AND ( Packages.Package NOT IN ("bash","core'utils") )
       AND ( Packages.Maintainer IS NULL  )
       AND ( Packages.Homepage IS NOT NULL  )
       AND ( Packages.Released =  )
       AND ( Packages.Section < "x""y" )

-- dtSybaseASE sqSQL1
SELECT Packages.Package
FROM "Packages.db" Packages
WHERE ( UPPER(Packages.Maintainer) = 'O''BRIEN' )
       AND ( UPPER(Packages.Package) LIKE 'LIB%' )
       AND ( Packages.Package NOT LIKE 'python3_' )
       AND ( Packages.InstalledSize BETWEEN 1000 AND 20000 )
       AND ( Packages.Priority IN (1,2,3) )
       AND ( Packages.Price >= 12.5 )
       AND ( Packages.Released = '2024/12/31' )
       AND ( Packages.Uploaded >= '2024/12/31 13:45:30' )
       AND ( Packages.Essential = 1 )
       AND ( Packages.Package NOT IN ('bash','core''utils') )
       AND ( Packages.Maintainer IS NULL  )
       AND ( Packages.Homepage IS NOT NULL  )
       AND ( Packages.Released =  )
       AND ( Packages.Section < 'x"y' )

-- dtSybaseASE sqSQL2
SELECT Packages.Package
FROM "Packages.db" Packages
WHERE ( UPPER(Packages.Maintainer) = 'O''BRIEN' )
       AND ( UPPER(Packages.Package) LIKE 'LIB%' )
       AND ( Packages.Package NOT LIKE 'python3_' )
       AND ( Packages.InstalledSize BETWEEN 1000 AND 20000 )
       AND ( Packages.Priority IN (1,2,3) )
       AND ( Packages.Price >= 12.5 )
       AND ( Packages.Released = '2024/12/31' )
       AND ( Packages.Uploaded >= '2024/12/31 13:45:30' )
       AND ( Packages.Essential = 1 )
       AND ( Packages.Package NOT IN ('bash','core''utils') )
       AND ( Packages.Maintainer IS NULL  )
       AND ( Packages.Homepage IS NOT NULL  )
       AND ( Packages.Released =  )
       AND ( Packages.Section < 'x"y' )

-- dtSybaseASA sqBDELocal
SELECT Packages.Package
FROM "Packages.db" Packages
WHERE ( UPPER(Packages.Maintainer) = "O'BRIEN" )
       AND ( UPPER(Packages.Package) LIKE "LIB%" )
       AND ( Packages.Package NOT LIKE "python3_" )
       AND ( Packages.InstalledSize BETWEEN 1000 AND 20000 )
       AND ( Packages.Priority IN (1,2,3) )
       AND ( Packages.Price >= 12.5 )
       AND ( Packages.Released = '2024/12/31' )
       AND ( Packages.Uploaded >= '2024/12/31 13:45:30' )
       AND ( Packages.Essential = 1 )
       AND ( Packages.Package NOT IN ("bash","core'utils") )
       AND ( Packages.Maintainer IS NULL  )
       AND ( Packages.Homepage IS NOT NULL  )
       AND ( Packages.Released =  )
       AND ( Packages.Section < "x""y" )

-- dtSybaseASA sqSQL1
SELECT Packages.Package
FROM "Packages.db" Packages
WHERE ( UPPER(Packages.Maintainer) = 'O''BRIEN' )
       AND ( UPPER(Packages.Package) LIKE 'LIB%' )
       AND ( Packages.Package NOT LIKE 'python3_' )
       AND ( Packages.InstalledSize BETWEEN 1000 AND 20000 )
       AND ( Packages.Priority IN (1,2,3) )
       AND ( Packages.Price >= 12.5 )
       AND ( Packages.Released = '2024/12/31' )
       AND ( Packages.Uploaded >= '2024/12/31 13:45:30' )
       AND ( Packages.Essential = 1 )
       AND ( Packages.Package NOT IN ('bash','core''utils') )
       AND ( Packages.Maintainer IS NULL  )
       AND ( Packages.Homepage IS NOT NULL  )
       AND ( Packages.Released =  )
       AND ( Packages.Section < 'x"y' )

-- dtSybaseASA sqSQL2
SELECT Packages.Package
FROM "Packages.db" Packages
WHERE ( UPPER(Packages.Maintainer) = 'O''BRIEN' )
       AND ( UPPER(Packages.Package) LIKE 'LIB%' )
       AND ( Packages.Package NOT LIKE 'python3_' )
       AND ( Packages.InstalledSize BETWEEN 1000 AND 20000 )
       AND ( Packages.Priority IN (1,2,3) )
       AND ( Packages.Price >= 12.5 )
       AND ( Packages.Released = '2024/12/31' )
       AND ( Packages.Uploaded >= '2024/12/31 13:45:30' )
       AND ( Packages.Essential = 1 )
       AND ( Packages.Package NOT IN ('bash','core''utils') )
       AND ( Packages.Maintainer IS NULL  )
       AND ( Packages.Homepage IS NOT NULL  )
       AND ( Packages.Released =  )
       AND ( Packages.Section < 'x"y' )

-- dtOracle sqBDELocal
SELECT Packages."Package"
FROM "Packages.db" Packages
WHERE ( UPPER(Packages.Maintainer) = "O'BRIEN" )
       AND ( UPPER(Packages."Package") LIKE "LIB%" )
       AND ( Packages."Package" NOT LIKE "python3_" )
       AND ( Packages.InstalledSize BETWEEN 1000 AND 20000 )
       AND ( Packages.Priority IN (1,2,3) )
       AND ( Packages.Price >= 12.5 )
       AND ( Packages.Released = '31-Dec-2024' )
       AND ( Packages.Uploaded >= '31-Dec-2024 13:45:30' )
       AND ( Packages.Essential = 1 )
       AND ( Packages."Package" NOT IN ("bash","core'utils") )
       AND ( Packages.Maintainer IS NULL  )
       AND ( Packages.Homepage IS NOT NULL  )
       AND ( Packages.Released =  )
       AND ( Packages."Section" < "x""y" )

-- dtOracle sqSQL1
SELECT Packages."Package"
FROM "Packages.db" Packages
WHERE ( UPPER(Packages.Maintainer) = 'O''BRIEN' )
       AND ( UPPER(Packages."Package") LIKE 'LIB%' )
       AND ( Packages."Package" NOT LIKE 'python3_' )
       AND ( Packages.InstalledSize BETWEEN 1000 AND 20000 )
       AND ( Packages.Priority IN (1,2,3) )
       AND ( Packages.Price >= 12.5 )
       AND ( Packages.Released = '31-Dec-2024' )
       AND ( Packages.Uploaded >= '31-Dec-2024 13:45:30' )
       AND ( Packages.Essential = 1 )
       AND ( Packages."Package" NOT IN ('bash','core''utils') )
       AND ( Packages.Maintainer IS NULL  )
       AND ( Packages.Homepage IS NOT NULL  )
       AND ( Packages.Released =  )
       AND ( Packages."Section" < 'x"y' )

-- dtOracle sqSQL2
SELECT Packages."Package"
FROM "Packages.db" Packages
WHERE ( UPPER(Packages.Maintainer) = 'O''BRIEN' )
       AND ( UPPER(Packages."Package") LIKE 'LIB%' )
       AND ( Packages."Package" NOT LIKE 'python3_' )
       AND ( Packages.InstalledSize BETWEEN 1000 AND 20000 )
       AND ( Packages.Priority IN (1,2,3) )
       AND ( Packages.Price >= 12.5 )
       AND ( Packages.Released = '31-Dec-2024' )
       AND ( Packages.Uploaded >= '31-Dec-2024 13:45:30' )
       AND ( Packages.Essential = 1 )
       AND ( Packages."Package" NOT IN ('bash','core''utils') )
       AND ( Packages.Maintainer IS NULL  )
       AND ( Packages.Homepage IS NOT NULL  )
       AND ( Packages.Released =  )
       AND ( Packages."Section" < 'x"y' )

-- dtParadox sqBDELocal
SELECT Packages.Package
FROM "Packages.db" Packages
WHERE ( UPPER(Packages.Maintainer) = "O'BRIEN" )
       AND ( UPPER(Packages.Package) LIKE "LIB%" )
       AND ( Packages.Package NOT LIKE "python3_" )
       AND ( Packages.InstalledSize BETWEEN 1000 AND 20000 )
       AND ( Packages.Priority IN (1,2,3) )
       AND ( Packages.Price >= 12.5 )
       AND ( Packages.Released = '12/31/2024' )
       AND ( Packages.Uploaded >= '12/31/2024 13:45:30' )
       AND ( Packages.Essential = TRUE )
       AND ( Packages.Package NOT IN ("bash","core'utils") )
       AND ( Packages.Maintainer IS NULL  )
       AND ( Packages.Homepage IS NOT NULL  )
       AND ( Packages.Released =  )
       AND ( Packages.Section < "x""y" )

-- dtParadox sqSQL1
SELECT Packages.Package
FROM "Packages.db" Packages
WHERE ( UPPER(Packages.Maintainer) = 'O''BRIEN' )
       AND ( UPPER(Packages.Package) LIKE 'LIB%' )
       AND ( Packages.Package NOT LIKE 'python3_' )
       AND ( Packages.InstalledSize BETWEEN 1000 AND 20000 )
       AND ( Packages.Priority IN (1,2,3) )
       AND ( Packages.Price >= 12.5 )
       AND ( Packages.Released = '12/31/2024' )
       AND ( Packages.Uploaded >= '12/31/2024 13:45:30' )
       AND ( Packages.Essential = TRUE )
       AND ( Packages.Package NOT IN ('bash','core''utils') )
       AND ( Packages.Maintainer IS NULL  )
       AND ( Packages.Homepage IS NOT NULL  )
       AND ( Packages.Released =  )
       AND ( Packages.Section < 'x"y' )

-- dtParadox sqSQL2
SELECT Packages.Package
FROM "Packages.db" Packages
WHERE ( UPPER(Packages.Maintainer) = 'O''BRIEN' )
       AND ( UPPER(Packages.Package) LIKE 'LIB%' )
       AND ( Packages.Package NOT LIKE 'python3_' )
       AND ( Packages.InstalledSize BETWEEN 1000 AND 20000 )
       AND ( Packages.Priority IN (1,2,3) )
       AND ( Packages.Price >= 12.5 )
       AND ( Packages.Released = '12/31/2024' )
       AND ( Packages.Uploaded >= '12/31/2024 13:45:30' )
       AND ( Packages.Essential = TRUE )
       AND ( Packages.Package NOT IN ('bash','core''utils') )
       AND ( Packages.Maintainer IS NULL  )
       AND ( Packages.Homepage IS NOT NULL  )
       AND ( Packages.Released =  )
       AND ( Packages.Section < 'x"y' )

-- dtDBISAM sqBDELocal
SELECT Packages.Package
FROM "Packages.db" Packages
WHERE ( UPPER(Packages.Maintainer) = "O'BRIEN" )
       AND ( UPPER(Packages.Package) LIKE "LIB%" )
       AND ( Packages.Package NOT LIKE "python3_" )
       AND ( Packages.InstalledSize BETWEEN 1000 AND 20000 )
       AND ( Packages.Priority IN (1,2,3) )
       AND ( Packages.Price >= 12.5 )
       AND ( Packages.Released = '12/31/2024' )
       AND ( Packages.Uploaded >= '12/31/2024 13:45:30' )
       AND ( Packages.Essential = TRUE )
       AND ( Packages.Package NOT IN ("bash","core'utils") )
       AND ( Packages.Maintainer IS NULL  )
       AND ( Packages.Homepage IS NOT NULL  )
       AND ( Packages.Released =  )
       AND ( Packages.Section < "x""y" )

-- dtDBISAM sqSQL1
SELECT Packages.Package
FROM "Packages.db" Packages
WHERE ( UPPER(Packages.Maintainer) = 'O''BRIEN' )
       AND ( UPPER(Packages.Package) LIKE 'LIB%' )
       AND ( Packages.Package NOT LIKE 'python3_' )
       AND ( Packages.InstalledSize BETWEEN 1000 AND 20000 )
       AND ( Packages.Priority IN (1,2,3) )
       AND ( Packages.Price >= 12.5 )
       AND ( Packages.Released = '12/31/2024' )
       AND ( Packages.Uploaded >= '12/31/2024 13:45:30' )
       AND ( Packages.Essential = TRUE )
       AND ( Packages.Package NOT IN ('bash','core''utils') )
       AND ( Packages.Maintainer IS NULL  )
       AND ( Packages.Homepage IS NOT NULL  )
       AND ( Packages.Released =  )
       AND ( Packages.Section < 'x"y' )

-- dtDBISAM sqSQL2
SELECT Packages.Package
FROM "Packages.db" Packages
WHERE ( UPPER(Packages.Maintainer) = 'O''BRIEN' )
       AND ( UPPER(Packages.Package) LIKE 'LIB%' )
       AND ( Packages.Package NOT LIKE 'python3_' )
       AND ( Packages.InstalledSize BETWEEN 1000 AND 20000 )
       AND ( Packages.Priority IN (1,2,3) )
       AND ( Packages.Price >= 12.5 )
       AND ( Packages.Released = '12/31/2024' )
       AND ( Packages.Uploaded >= '12/31/2024 13:45:30' )
       AND ( Packages.Essential = TRUE )
       AND ( Packages.Package NOT IN ('bash','core''utils') )
       AND ( Packages.Maintainer IS NULL  )
       AND ( Packages.Homepage IS NOT NULL  )
       AND ( Packages.Released =  )
       AND ( Packages.Section < 'x"y' )

-- dtOther sqBDELocal
SELECT Packages.Package
FROM "Packages.db" Packages
WHERE ( UPPER(Packages.Maintainer) = "O'BRIEN" )
       AND ( UPPER(Packages.Package) LIKE "LIB%" )
       AND ( Packages.Package NOT LIKE "python3_" )
       AND ( Packages.InstalledSize BETWEEN 1000 AND 20000 )
       AND ( Packages.Priority IN (1,2,3) )
       AND ( Packages.Price >= 12.5 )
       AND ( Packages.Released = '12/31/2024' )
       AND ( Packages.Uploaded >= '12/31/2024 13:45:30' )
       AND ( Packages.Essential = TRUE )
       AND ( Packages.Package NOT IN ("bash","core'utils") )
       AND ( Packages.Maintainer IS NULL  )
       AND ( Packages.Homepage IS NOT NULL  )
       AND ( Packages.Released =  )
       AND ( Packages.Section < "x""y" )

-- dtOther sqSQL1
SELECT Packages.Package
FROM "Packages.db" Packages
WHERE ( UPPER(Packages.Maintainer) = 'O''BRIEN' )
       AND ( UPPER(Packages.Package) LIKE 'LIB%' )
       AND ( Packages.Package NOT LIKE 'python3_' )
       AND ( Packages.InstalledSize BETWEEN 1000 AND 20000 )
       AND ( Packages.Priority IN (1,2,3) )
       AND ( Packages.Price >= 12.5 )
       AND ( Packages.Released = '12/31/2024' )
       AND ( Packages.Uploaded >= '12/31/2024 13:45:30' )
       AND ( Packages.Essential = TRUE )
       AND ( Packages.Package NOT IN ('bash','core''utils') )
       AND ( Packages.Maintainer IS NULL  )
       AND ( Packages.Homepage IS NOT NULL  )
       AND ( Packages.Released =  )
       AND ( Packages.Section < 'x"y' )

-- dtOther sqSQL2
SELECT Packages.Package
FROM "Packages.db" Packages
WHERE ( UPPER(Packages.Maintainer) = 'O''BRIEN' )
       AND ( UPPER(Packages.Package) LIKE 'LIB%' )
       AND ( Packages.Package NOT LIKE 'python3_' )
       AND ( Packages.InstalledSize BETWEEN 1000 AND 20000 )
       AND ( Packages.Priority IN (1,2,3) )
       AND ( Packages.Price >= 12.5 )
       AND ( Packages.Released = '12/31/2024' )
       AND ( Packages.Uploaded >= '12/31/2024 13:45:30' )
       AND ( Packages.Essential = TRUE )
       AND ( Packages.Package NOT IN ('bash','core''utils') )
       AND ( Packages.Maintainer IS NULL  )
       AND ( Packages.Homepage IS NOT NULL  )
       AND ( Packages.Released =  )
       AND ( Packages.Section < 'x"y' )

