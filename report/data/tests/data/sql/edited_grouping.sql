-- sqBDELocal
SELECT Packages.Priority, Packages.Package, 
       Packages.NodeID, 
       SUM(Packages.InstalledSize)
FROM "Packages.db" Packages
GROUP BY Packages.Priority, Packages.Package, 
         Packages.NodeID
ORDER BY 4

-- sqSQL2
SELECT Packages.Priority, Packages.Package, 
       Packages.NodeID, 
       SUM(Packages.InstalledSize)
FROM "Packages.db" Packages
GROUP BY Packages.Priority, Packages.Package, 
         Packages.NodeID
ORDER BY 4

