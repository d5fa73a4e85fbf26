-- dtAdvantage sqBDELocal
SELECT DISTINCT Tree.NodeType, Packages.Section, 
                COUNT(*), 
                SUM(Packages.InstalledSize), 
                AVG(Packages.InstalledSize), 
                MAX(Packages.Version), 
                MIN(Packages.Version), 
                Packages.InstalledSize / 1024
FROM "Hierarchy.db" Tree, "Packages.db" Packages
WHERE (Packages.NodeID = Tree.NodeID)
GROUP BY Tree.NodeType, Packages.Section

-- dtAdvantage sqSQL1
SELECT DISTINCT Tree.NodeType, Packages.Section, 
                COUNT(*), 
                SUM(Packages.InstalledSize), 
                AVG(Packages.InstalledSize), 
                MAX(Packages.Version), 
                MIN(Packages.Version), 
                Packages.InstalledSize / 1024
FROM "Hierarchy.db" Tree, "Packages.db" Packages
WHERE (Packages.NodeID = Tree.NodeID)
GROUP BY Tree.NodeType, Packages.Section

-- dtAdvantage sqSQL2
SELECT DISTINCT Tree.NodeType, Packages.Section, 
                COUNT(*), 
                SUM(Packages.InstalledSize), 
                AVG(Packages.InstalledSize), 
                MAX(Packages.Version), 
                MIN(Packages.Version), 
                Packages.InstalledSize / 1024
FROM "Hierarchy.db" Tree, "Packages.db" Packages
WHERE (Packages.NodeID = Tree.NodeID)
GROUP BY Tree.NodeType, Packages.Section

-- dtInterBase sqBDELocal
SELECT DISTINCT Tree.NodeType, Packages.Section, 
                COUNT(*), 
                SUM(Packages.InstalledSize), 
                AVG(Packages.InstalledSize), 
                MAX(Packages."Version"), 
                MIN(Packages."Version"), 
                Packages.InstalledSize / 1024
FROM "Hierarchy.db" Tree
      INNER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID)
GROUP BY Tree.NodeType, Packages.Section
ORDER BY 4 DESC, Tree.NodeType, 3

-- dtInterBase sqSQL1
SELECT DISTINCT Tree.NodeType, Packages.Section, 
                COUNT(*), 
                SUM(Packages.InstalledSize), 
                AVG(Packages.InstalledSize), 
                MAX(Packages."Version"), 
                MIN(Packages."Version"), 
                Packages.InstalledSize / 1024
FROM "Hierarchy.db" Tree, "Packages.db" Packages
WHERE (Packages.NodeID = Tree.NodeID)
GROUP BY Tree.NodeType, Packages.Section
ORDER BY 4 DESC, Tree.NodeType, 3

-- dtInterBase sqSQL2
SELECT DISTINCT Tree.NodeType, Packages.Section, 
                COUNT(*), 
                SUM(Packages.InstalledSize), 
                AVG(Packages.InstalledSize), 
                MAX(Packages."Version"), 
                MIN(Packages."Version"), 
                Packages.InstalledSize / 1024
FROM "Hierarchy.db" Tree
      INNER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID)
GROUP BY Tree.NodeType, Packages.Section
ORDER BY 4 DESC, Tree.NodeType, 3

-- dtMSAccess sqBDELocal
SELECT DISTINCT Tree.NodeType, Packages.Section, 
                COUNT(*), 
                SUM(Packages.InstalledSize), 
                AVG(Packages.InstalledSize), 
                MAX(Packages.Version), 
                MIN(Packages.Version), 
                Packages.InstalledSize / 1024
FROM ("Hierarchy.db" Tree
      INNER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID) )
GROUP BY Tree.NodeType, Packages.Section
ORDER BY 4 DESC, Tree.NodeType, 3

-- dtMSAccess sqSQL1
SELECT DISTINCT Tree.NodeType, Packages.Section, 
                COUNT(*), 
                SUM(Packages.InstalledSize), 
                AVG(Packages.InstalledSize), 
                MAX(Packages.Version), 
                MIN(Packages.Version), 
                Packages.InstalledSize / 1024
FROM [Hierarchy.db] Tree, [Packages.db] Packages
WHERE (Packages.NodeID = Tree.NodeID)
GROUP BY Tree.NodeType, Packages.Section
ORDER BY 4 DESC, Tree.NodeType, 3

-- dtMSAccess sqSQL2
SELECT DISTINCT Tree.NodeType, Packages.Section, 
                COUNT(*), 
                SUM(Packages.InstalledSize), 
                AVG(Packages.InstalledSize), 
                MAX(Packages.Version), 
                MIN(Packages.Version), 
                Packages.InstalledSize / 1024
FROM ([Hierarchy.db] Tree
      INNER JOIN [Packages.db] Packages ON 
     (Packages.NodeID = Tree.NodeID) )
GROUP BY Tree.NodeType, Packages.Section
ORDER BY 4 DESC, Tree.NodeType, 3

-- dtMSSQLServer sqBDELocal
SELECT DISTINCT Tree.NodeType, Packages.Section, 
                COUNT(*), 
                SUM(Packages.InstalledSize), 
                AVG(Packages.InstalledSize), 
                MAX(Packages.Version), 
                MIN(Packages.Version), 
                Packages.InstalledSize / 1024
FROM "Hierarchy.db" Tree
      INNER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID)
GROUP BY Tree.NodeType, Packages.Section
ORDER BY 4 DESC, Tree.NodeType, 3

-- dtMSSQLServer sqSQL1
SELECT DISTINCT Tree.NodeType, Packages.Section, 
                COUNT(*), 
                SUM(Packages.InstalledSize), 
                AVG(Packages.InstalledSize), 
                MAX(Packages.Version), 
                MIN(Packages.Version), 
                Packages.InstalledSize / 1024
FROM "Hierarchy.db" Tree, "Packages.db" Packages
WHERE (Packages.NodeID = Tree.NodeID)
GROUP BY Tree.NodeType, Packages.Section
ORDER BY 4 DESC, Tree.NodeType, 3

-- dtMSSQLServer sqSQL2
SELECT DISTINCT Tree.NodeType, Packages.Section, 
                COUNT(*), 
                SUM(Packages.InstalledSize), 
                AVG(Packages.InstalledSize), 
                MAX(Packages.Version), 
                MIN(Packages.Version), 
                Packages.InstalledSize / 1024
FROM "Hierarchy.db" Tree
      INNER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID)
GROUP BY Tree.NodeType, Packages.Section
ORDER BY 4 DESC, Tree.NodeType, 3

-- dtSybaseASE sqBDELocal
SELECT DISTINCT Tree.NodeType, Packages.Section, 
                COUNT(*), 
                SUM(Packages.InstalledSize), 
                AVG(Packages.InstalledSize), 
                MAX(Packages.Version), 
                MIN(Packages.Version), 
                Packages.InstalledSize / 1024
FROM "Hierarchy.db" Tree
      INNER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID)
GROUP BY Tree.NodeType, Packages.Section
ORDER BY 4 DESC, Tree.NodeType, 3

-- dtSybaseASE sqSQL1
SELECT DISTINCT Tree.NodeType, Packages.Section, 
                COUNT(*), 
                SUM(Packages.InstalledSize), 
                AVG(Packages.InstalledSize), 
                MAX(Packages.Version), 
                MIN(Packages.Version), 
                Packages.InstalledSize / 1024
FROM "Hierarchy.db" Tree, "Packages.db" Packages
WHERE (Packages.NodeID = Tree.NodeID)
GROUP BY Tree.NodeType, Packages.Section
ORDER BY 4 DESC, Tree.NodeType, 3

-- dtSybaseASE sqSQL2
SELECT DISTINCT Tree.NodeType, Packages.Section, 
                COUNT(*), 
                SUM(Packages.InstalledSize), 
                AVG(Packages.InstalledSize), 
                MAX(Packages.Version), 
                MIN(Packages.Version), 
                Packages.InstalledSize / 1024
FROM "Hierarchy.db" Tree
      INNER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID)
GROUP BY Tree.NodeType, Packages.Section
ORDER BY 4 DESC, Tree.NodeType, 3

-- dtSybaseASA sqBDELocal
SELECT DISTINCT Tree.NodeType, Packages.Section, 
                COUNT(*), 
                SUM(Packages.InstalledSize), 
                AVG(Packages.InstalledSize), 
                MAX(Packages.Version), 
                MIN(Packages.Version), 
                Packages.InstalledSize / 1024
FROM "Hierarchy.db" Tree
      INNER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID)
GROUP BY Tree.NodeType, Packages.Section
ORDER BY 4 DESC, Tree.NodeType, 3

-- dtSybaseASA sqSQL1
SELECT DISTINCT Tree.NodeType, Packages.Section, 
                COUNT(*), 
                SUM(Packages.InstalledSize), 
                AVG(Packages.InstalledSize), 
                MAX(Packages.Version), 
                MIN(Packages.Version), 
                Packages.InstalledSize / 1024
FROM "Hierarchy.db" Tree, "Packages.db" Packages
WHERE (Packages.NodeID = Tree.NodeID)
GROUP BY Tree.NodeType, Packages.Section
ORDER BY 4 DESC, Tree.NodeType, 3

-- dtSybaseASA sqSQL2
SELECT DISTINCT Tree.NodeType, Packages.Section, 
                COUNT(*), 
                SUM(Packages.InstalledSize), 
                AVG(Packages.InstalledSize), 
                MAX(Packages.Version), 
                MIN(Packages.Version), 
                Packages.InstalledSize / 1024
FROM "Hierarchy.db" Tree
      INNER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID)
GROUP BY Tree.NodeType, Packages.Section
ORDER BY 4 DESC, Tree.NodeType, 3

-- dtOracle sqBDELocal
SELECT DISTINCT Tree.NodeType, 
                Packages."Section", COUNT(*), 
                SUM(Packages.InstalledSize), 
                AVG(Packages.InstalledSize), 
                MAX(Packages.Version), 
                MIN(Packages.Version), 
                Packages.InstalledSize / 1024
FROM "Hierarchy.db" Tree
      INNER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID)
GROUP BY Tree.NodeType, Packages."Section"
ORDER BY 4 DESC, Tree.NodeType, 3

-- dtOracle sqSQL1
SELECT DISTINCT Tree.NodeType, 
                Packages."Section", COUNT(*), 
                SUM(Packages.InstalledSize), 
                AVG(Packages.InstalledSize), 
                MAX(Packages.Version), 
                MIN(Packages.Version), 
                Packages.InstalledSize / 1024
FROM "Hierarchy.db" Tree, "Packages.db" Packages
WHERE (Packages.NodeID = Tree.NodeID)
GROUP BY Tree.NodeType, Packages."Section"
ORDER BY 4 DESC, Tree.NodeType, 3

-- dtOracle sqSQL2
SELECT DISTINCT Tree.NodeType, 
                Packages."Section", COUNT(*), 
                SUM(Packages.InstalledSize), 
                AVG(Packages.InstalledSize), 
                MAX(Packages.Version), 
                MIN(Packages.Version), 
                Packages.InstalledSize / 1024
FROM "Hierarchy.db" Tree
      INNER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID)
GROUP BY Tree.NodeType, Packages."Section"
ORDER BY 4 DESC, Tree.NodeType, 3

-- dtParadox sqBDELocal
SELECT DISTINCT Tree.NodeType, Packages.Section, 
                COUNT(*), 
                SUM(Packages.InstalledSize), 
                AVG(Packages.InstalledSize), 
                MAX(Packages.Version), 
                MIN(Packages.Version), 
                Packages.InstalledSize / 1024
FROM "Hierarchy.db" Tree
      INNER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID)
GROUP BY Tree.NodeType, Packages.Section
ORDER BY 4 DESC, Tree.NodeType, 3

-- dtParadox sqSQL1
SELECT DISTINCT Tree.NodeType, Packages.Section, 
                COUNT(*), 
                SUM(Packages.InstalledSize), 
                AVG(Packages.InstalledSize), 
                MAX(Packages.Version), 
                MIN(Packages.Version), 
                Packages.InstalledSize / 1024
FROM "Hierarchy.db" Tree, "Packages.db" Packages
WHERE (Packages.NodeID = Tree.NodeID)
GROUP BY Tree.NodeType, Packages.Section
ORDER BY 4 DESC, Tree.NodeType, 3

-- dtParadox sqSQL2
SELECT DISTINCT Tree.NodeType, Packages.Section, 
                COUNT(*), 
                SUM(Packages.InstalledSize), 
                AVG(Packages.InstalledSize), 
                MAX(Packages.Version), 
                MIN(Packages.Version), 
                Packages.InstalledSize / 1024
FROM "Hierarchy.db" Tree
      INNER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID)
GROUP BY Tree.NodeType, Packages.Section
ORDER BY 4 DESC, Tree.NodeType, 3

-- dtDBISAM sqBDELocal
SELECT DISTINCT Tree.NodeType, Packages.Section, 
                COUNT(*), 
                SUM(Packages.InstalledSize), 
                AVG(Packages.InstalledSize), 
                MAX(Packages.Version), 
                MIN(Packages.Version), 
                Packages.InstalledSize / 1024
FROM "Hierarchy.db" Tree
      INNER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID)
GROUP BY Tree.NodeType, Packages.Section
ORDER BY 4 DESC, Tree.NodeType, 3

-- dtDBISAM sqSQL1
SELECT DISTINCT Tree.NodeType, Packages.Section, 
                COUNT(*), 
                SUM(Packages.InstalledSize), 
                AVG(Packages.InstalledSize), 
                MAX(Packages.Version), 
                MIN(Packages.Version), 
                Packages.InstalledSize / 1024
FROM "Hierarchy.db" Tree, "Packages.db" Packages
WHERE (Packages.NodeID = Tree.NodeID)
GROUP BY Tree.NodeType, Packages.Section
ORDER BY 4 DESC, Tree.NodeType, 3

-- dtDBISAM sqSQL2
SELECT DISTINCT Tree.NodeType, Packages.Section, 
                COUNT(*), 
                SUM(Packages.InstalledSize), 
                AVG(Packages.InstalledSize), 
                MAX(Packages.Version), 
                MIN(Packages.Version), 
                Packages.InstalledSize / 1024
FROM "Hierarchy.db" Tree
      INNER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID)
GROUP BY Tree.NodeType, Packages.Section
ORDER BY 4 DESC, Tree.NodeType, 3

-- dtOther sqBDELocal
SELECT DISTINCT Tree.NodeType, Packages.Section, 
                COUNT(*), 
                SUM(Packages.InstalledSize), 
                AVG(Packages.InstalledSize), 
                MAX(Packages.Version), 
                MIN(Packages.Version), 
                Packages.InstalledSize / 1024
FROM "Hierarchy.db" Tree
      INNER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID)
GROUP BY Tree.NodeType, Packages.Section
ORDER BY 4 DESC, Tree.NodeType, 3

-- dtOther sqSQL1
SELECT DISTINCT Tree.NodeType, Packages.Section, 
                COUNT(*), 
                SUM(Packages.InstalledSize), 
                AVG(Packages.InstalledSize), 
                MAX(Packages.Version), 
                MIN(Packages.Version), 
                Packages.InstalledSize / 1024
FROM "Hierarchy.db" Tree, "Packages.db" Packages
WHERE (Packages.NodeID = Tree.NodeID)
GROUP BY Tree.NodeType, Packages.Section
ORDER BY 4 DESC, Tree.NodeType, 3

-- dtOther sqSQL2
SELECT DISTINCT Tree.NodeType, Packages.Section, 
                COUNT(*), 
                SUM(Packages.InstalledSize), 
                AVG(Packages.InstalledSize), 
                MAX(Packages.Version), 
                MIN(Packages.Version), 
                Packages.InstalledSize / 1024
FROM "Hierarchy.db" Tree
      INNER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID)
GROUP BY Tree.NodeType, Packages.Section
ORDER BY 4 DESC, Tree.NodeType, 3

